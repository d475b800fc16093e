// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace tunewell::update {

// Where the disk-identity class gets the 512-byte ATA IDENTIFY DEVICE reply
// of a drive. An empty answer means the data cannot be had (no such drive,
// no rights, a drive that does not answer the command).
class IdentitySource {
public:
    virtual ~IdentitySource() = default;
    virtual std::vector<std::uint8_t> ReadIdentify(unsigned drive) = 0;
};

// The disks in the system's order, from the names of block devices: IDE
// ("hd*") before SCSI/SATA ("sd*") before virtual ("vd*") disks, each group
// in kernel order (sda, sdb, ..., sdz, sdaa). Other names (loop, nvme,
// partitions such as sda1) are left out. Pure.
std::vector<std::string> OrderedDiskNames(const std::vector<std::string>& blockNames);

// Reads the identify data of the disk numbered `drive` in OrderedDiskNames
// order of the entries of sysBlock, opening devDir/<name> read-only and
// asking through the SG_IO ATA PASS-THROUGH(16) command, then through
// HDIO_GET_IDENTITY. Empty when the folder, device or request fails.
class LinuxIdentitySource : public IdentitySource {
public:
    explicit LinuxIdentitySource(std::filesystem::path sysBlock = "/sys/block",
                                 std::filesystem::path devDir = "/dev");
    std::vector<std::uint8_t> ReadIdentify(unsigned drive) override;

    // The device path of disk number `drive`, or empty when there is none.
    std::filesystem::path DevicePath(unsigned drive) const;

private:
    std::filesystem::path sysBlock_;
    std::filesystem::path devDir_;
};

// Windows: drive number N is the device "\\.\PhysicalDriveN" on the NT
// family (the SMART driver on the 9x family), as the platform code chooses.
class DriveNumberIdentitySource : public IdentitySource {
public:
    explicit DriveNumberIdentitySource(std::string platformCode) : platformCode_(std::move(platformCode)) {}
    std::vector<std::uint8_t> ReadIdentify(unsigned drive) override;

private:
    std::string platformCode_;
};

// The source for this system's own disks.
std::shared_ptr<IdentitySource> SystemIdentitySource();

}  // namespace tunewell::update
