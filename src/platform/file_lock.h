// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

namespace tunewell::platform {

// An advisory lock that every cooperating process takes around a
// read-modify-write of a shared file, so that two writers never work from
// the same old contents. The lock file itself is created when missing
// (owner-only) and kept: removing it would let a later writer lock a new
// file while an earlier one still holds the old.
class FileLock {
public:
    // Blocks until the exclusive lock on `lockPath` is held, or fails (the
    // file cannot be created or opened, or is not an ordinary file).
    explicit FileLock(const std::string& lockPath);
    ~FileLock();

    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool Held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

}  // namespace tunewell::platform
