// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "update/hnsn_error.h"
#include "update/identity_source.h"

namespace tunewell::update {

// Reads the model number, serial number and firmware revision of a hard
// disk from the drive's ATA identify data. Unreadable drives give empty
// text, never an error; HnsnError (10000-10002) is raised only for a drive
// number of 4 or more, an unknown field selector, or a read on a platform
// whose code is not "WNT", "W95" or "W98".
class ClsHNSN {
public:
    // Reads the system's own disks; the platform code is HostPlatform().
    ClsHNSN();
    // source: where the identify data comes from (shared, never null);
    // platform: the platform code to report and check.
    ClsHNSN(std::shared_ptr<IdentitySource> source, std::string platform);

    // The platform code of this system: "WNT" where the identify data can be
    // read (Linux), "Unk" elsewhere.
    static std::string HostPlatform();

    std::string Copyright() const;
    std::string GetModelNumber();
    std::string GetSerialNumber();
    std::string GetFirmwareRevision();

    std::uint8_t CurrentDrive() const { return drive_; }
    // Stores vData when it is 0 to 3; otherwise throws error 10000 and keeps
    // the old drive number.
    void SetCurrentDrive(int vData);

    const std::string& Platform() const { return platform_; }

protected:
    // The work of the three getters: field 0 model, 1 serial, 2 firmware.
    // Throws 10001 for another selector, 10002 on an unsupported platform.
    std::string ReadIdentifyField(int selector);

private:
    std::shared_ptr<IdentitySource> source_;
    std::string platform_;
    std::uint8_t drive_ = 0;
};

}  // namespace tunewell::update
