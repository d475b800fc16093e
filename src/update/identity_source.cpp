// SPDX-License-Identifier: GPL-3.0-or-later
#include "update/identity_source.h"

#include <algorithm>
#include <array>
#include <system_error>

#include "platform/disk_identify.h"
#include "platform/os_platform.h"
#include "update/ata_identity.h"

namespace tunewell::update {
namespace {

int GroupOf(const std::string& name) {
    static const std::array<const char*, 3> kPrefixes = {"hd", "sd", "vd"};
    for (std::size_t i = 0; i < kPrefixes.size(); ++i) {
        const std::string prefix = kPrefixes[i];
        if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
            std::all_of(name.begin() + 2, name.end(), [](char c) { return c >= 'a' && c <= 'z'; })) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace

std::vector<std::string> OrderedDiskNames(const std::vector<std::string>& blockNames) {
    std::vector<std::string> disks;
    for (const auto& name : blockNames) {
        if (GroupOf(name) >= 0) disks.push_back(name);
    }
    std::sort(disks.begin(), disks.end(), [](const std::string& a, const std::string& b) {
        if (GroupOf(a) != GroupOf(b)) return GroupOf(a) < GroupOf(b);
        if (a.size() != b.size()) return a.size() < b.size();
        return a < b;
    });
    return disks;
}

LinuxIdentitySource::LinuxIdentitySource(std::filesystem::path sysBlock,
                                         std::filesystem::path devDir)
    : sysBlock_(std::move(sysBlock)), devDir_(std::move(devDir)) {}

std::filesystem::path LinuxIdentitySource::DevicePath(unsigned drive) const {
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(sysBlock_, error), end; !error && it != end;
         it.increment(error)) {
        names.push_back(it->path().filename().string());
    }
    const auto disks = OrderedDiskNames(names);
    if (drive >= disks.size()) return {};
    return devDir_ / disks[drive];
}

std::vector<std::uint8_t> LinuxIdentitySource::ReadIdentify(unsigned drive) {
    const auto path = DevicePath(drive);
    if (path.empty()) return {};
    return platform::ReadAtaIdentify(path.string(), IdentifyCommandBlock(drive));
}

std::vector<std::uint8_t> DriveNumberIdentitySource::ReadIdentify(unsigned drive) {
    const std::string device = platform::WindowsDiskDevice(platformCode_, drive);
    if (device.empty()) return {};
    return platform::ReadAtaIdentify(device, IdentifyCommandBlock(drive));
}

std::shared_ptr<IdentitySource> SystemIdentitySource() {
#ifdef _WIN32
    return std::make_shared<DriveNumberIdentitySource>(platform::OsPlatformCode());
#else
    return std::make_shared<LinuxIdentitySource>();
#endif
}

}  // namespace tunewell::update
