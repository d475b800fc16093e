// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/free_space.h"

#include <sys/statvfs.h>

#include <limits>

namespace tunewell::platform {

std::optional<std::int64_t> FreeSpaceIn(const std::string& folder) {
    struct statvfs info {};
    if (folder.empty() || ::statvfs(folder.c_str(), &info) != 0) return std::nullopt;
    // Some virtual and network file systems report no size at all: that
    // is no full disk.
    if (info.f_blocks == 0) return std::nullopt;
    // f_bavail: the blocks an unprivileged user may still take.
    const unsigned long long blocks = info.f_bavail;
    const unsigned long long size = info.f_frsize != 0 ? info.f_frsize : info.f_bsize;
    constexpr auto kMost = static_cast<unsigned long long>(std::numeric_limits<std::int64_t>::max());
    if (size != 0 && blocks > kMost / size) return std::numeric_limits<std::int64_t>::max();
    return static_cast<std::int64_t>(blocks * size);
}

}  // namespace tunewell::platform
