// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <chrono>
#include <string>

namespace tunewell::platform {

// File and folder information beyond what std::filesystem offers. (On
// Windows: GetFileAttributesEx for the times; GetVolumePathName for the
// root.)

struct ItemTimes {
    std::chrono::system_clock::time_point created;  // the modification time where none is recorded
    std::chrono::system_clock::time_point accessed;
    std::chrono::system_clock::time_point modified;
};

// The times of a file or folder; false when it cannot be read (errno set).
bool ReadItemTimes(const std::string& path, ItemTimes& times);

// Whether `path` is a folder this process may create files in (on Windows:
// a probe file). False for anything that is not a folder.
bool IsWritableFolder(const std::string& path);

// The mount point of the file system `fullPath` lies on: the nearest folder
// above it on another device, or the root.
std::string MountRootOf(const std::string& fullPath);

}  // namespace tunewell::platform
