// SPDX-License-Identifier: GPL-3.0-or-later
#include "update/cls_hnsn.h"

#include "platform/os_platform.h"
#include "update/ata_identity.h"

namespace tunewell::update {

ClsHNSN::ClsHNSN() : ClsHNSN(SystemIdentitySource(), HostPlatform()) {}

ClsHNSN::ClsHNSN(std::shared_ptr<IdentitySource> source, std::string platform)
    : source_(std::move(source)), platform_(std::move(platform)) {}

std::string ClsHNSN::HostPlatform() { return platform::OsPlatformCode(); }

std::string ClsHNSN::Copyright() const {
    return "ClsHNSN 1.00 - hard disk model, serial number and firmware revision reader";
}

std::string ClsHNSN::GetModelNumber() { return ReadIdentifyField(0); }
std::string ClsHNSN::GetSerialNumber() { return ReadIdentifyField(1); }
std::string ClsHNSN::GetFirmwareRevision() { return ReadIdentifyField(2); }

void ClsHNSN::SetCurrentDrive(int vData) {
    if (vData < 0 || vData >= 4) throw HnsnError::IllegalDrive();
    drive_ = static_cast<std::uint8_t>(vData);
}

std::string ClsHNSN::ReadIdentifyField(int selector) {
    const auto field = FieldForSelector(selector);
    if (!field) throw HnsnError::IllegalDataType();
    if (platform_ != "WNT" && platform_ != "W95" && platform_ != "W98") {
        throw HnsnError::IllegalPlatform();
    }
    const auto identify = source_ ? source_->ReadIdentify(drive_) : std::vector<std::uint8_t>{};
    return ExtractIdentityField(identify, *field);
}

}  // namespace tunewell::update
