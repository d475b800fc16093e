// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/file_info.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace tunewell::platform {
namespace {

using TimePoint = std::chrono::system_clock::time_point;

TimePoint ToTime(const struct statx_timestamp& stamp) {
    return TimePoint(std::chrono::duration_cast<TimePoint::duration>(std::chrono::seconds(stamp.tv_sec) +
                                                                     std::chrono::nanoseconds(stamp.tv_nsec)));
}

}  // namespace

bool ReadItemTimes(const std::string& path, ItemTimes& times) {
    struct statx info {};
    const unsigned mask = STATX_ATIME | STATX_MTIME | STATX_BTIME;
    if (statx(AT_FDCWD, path.c_str(), 0, mask, &info) != 0) return false;
    times.accessed = ToTime(info.stx_atime);
    times.modified = ToTime(info.stx_mtime);
    times.created = (info.stx_mask & STATX_BTIME) ? ToTime(info.stx_btime) : times.modified;
    return true;
}

bool IsWritableFolder(const std::string& path) {
    struct stat info {};
    // access() also knows read-only mounts, and uses the real user as the
    // transfer's file creation would not: both are this program's user.
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           ::access(path.c_str(), W_OK | X_OK) == 0;
}

std::string MountRootOf(const std::string& fullPath) {
    namespace stdfs = std::filesystem;
    const stdfs::path full(fullPath);
    struct stat info {};
    if (::stat(full.c_str(), &info) != 0) return full.root_path().string();
    stdfs::path current = full;
    while (current.has_relative_path()) {
        const stdfs::path parent = current.parent_path();
        struct stat above {};
        if (::stat(parent.c_str(), &above) != 0 || above.st_dev != info.st_dev) break;
        current = parent;
    }
    return current.string();
}

}  // namespace tunewell::platform
