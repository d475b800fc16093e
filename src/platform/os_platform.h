// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

namespace tunewell::platform {

// The operating-system family code the disk-identity class reports, from
// the system's version information: "WNT" for the NT family (and for
// Linux, whose disks answer the same identify request), "W95"/"W98" for
// the 9x family, "32S" for Win32s, "Unk" otherwise.
std::string OsPlatformCode();

// The device the identify request for drive number `drive` is sent to on
// a platform of `platformCode`: "\\.\PhysicalDriveN" on the NT family, the
// SMART driver "\\.\Smartvsd" on the 9x family; empty for any other code.
// Pure (Linux finds its devices through /sys/block instead).
std::string WindowsDiskDevice(const std::string& platformCode, unsigned drive);

}  // namespace tunewell::platform
