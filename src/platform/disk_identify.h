// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tunewell::platform {

// Sends an ATA command that reads one 512-byte block (IDENTIFY DEVICE) to
// the disk at `devicePath` and returns the block. `commandBlock` is the
// ATA PASS-THROUGH(16) command block the caller built; where the pass-through
// is refused the driver's own identify request is tried. Empty when the
// device cannot be opened or does not answer. (On Windows: DeviceIoControl
// with SMART_RCV_DRIVE_DATA or IOCTL_ATA_PASS_THROUGH on \\.\PhysicalDriveN.)
std::vector<std::uint8_t> ReadAtaIdentify(const std::string& devicePath,
                                          const std::array<std::uint8_t, 16>& commandBlock);

}  // namespace tunewell::platform
