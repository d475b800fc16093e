// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tunewell::platform {

// Plain file operations for the transfer's partial files and the settings
// store. Descriptors are the C runtime's (a POSIX descriptor; on Windows
// one wrapping a file handle, as ReplaceTemp::Fd() is), owned by the caller
// and released with CloseFile. Paths are UTF-8; on Windows either
// separator is accepted.

struct PathStatus {
    enum class Kind { kMissing, kUnreadable, kFile, kLink, kFolder, kDevice, kPipe, kOther };
    Kind kind = Kind::kMissing;
    std::int64_t size = 0;
    bool ownerWritable = false;      // the owner's write bit; on Windows: not read-only
    std::int64_t modifiedSeconds = 0;  // since 1970
};

// What is at `path`. Without `followLinks` a symbolic link (a reparse
// point on Windows) is reported as kLink. kMissing when nothing is there
// (or a folder on the way is missing), kUnreadable on any other failure.
PathStatus StatusOf(const std::string& path, bool followLinks);
PathStatus StatusOfOpen(int fd);

// The file a link leads to, as an absolute path; nothing when it leads
// nowhere.
std::optional<std::string> ResolvedPath(const std::string& path);

// Opens for reading without blocking on a pipe; without `followLinks` a
// link at the name is refused. -1 on failure.
int OpenForReading(const std::string& path, bool followLinks);

// Opens an existing device or pipe for writing (a pipe nobody reads fails
// at once instead of hanging), then writes block. -1 on failure.
int OpenWriteDirect(const std::string& path);

// Opens or creates the ordinary file `path` for reading and writing, never
// through a link, and takes an exclusive lock on it without waiting. -1
// when it cannot be created or opened, is no ordinary file, or another
// holder has the lock. Closing the descriptor releases the lock. On
// Windows the file may still be renamed and removed while it is open.
int OpenLockedFile(const std::string& path);

// Creates the ordinary file `path` for reading and writing, only when
// nothing (not even a link) is at the name: -1 with errno EEXIST then.
// Like OpenLockedFile's, the file may be renamed and removed while open.
int CreateNewFile(const std::string& path);
// Opens an existing ordinary file for reading and writing, never through a
// link. -1 on failure (errno set).
int OpenExistingFile(const std::string& path);

// Takes an exclusive lock on an open file without waiting; false when
// another holder has it.
bool TryLockFile(int fd);

// Reads up to `size` bytes (interrupted reads retried): the count, 0 at the
// end, -1 on an error.
long long ReadSome(int fd, char* buffer, std::size_t size);

bool SeekFile(int fd, std::int64_t offset);
bool TruncateFile(int fd);  // to zero bytes
bool CloseFile(int fd);

// Gives the open file the permission bits of the ordinary file at
// `modelPath` (not through a link); true when there is none to copy, and
// always on Windows, where rights do not travel with a rename.
bool TakePermissionsOf(int fd, const std::string& modelPath);

bool RemoveFile(const std::string& path);
// Renames, replacing an existing file at `to`; works on a file this
// process holds open through OpenLockedFile.
bool RenameFile(const std::string& from, const std::string& to);

// The names in a folder (not "." or ".."); empty when it cannot be read.
std::vector<std::string> FolderEntries(const std::string& folder);

// Whether an errno value means the disk (or the user's quota) is full.
bool IsDiskFull(int error);

// The position just after a path's last separator ('/', and on Windows
// also '\'); 0 when there is none.
std::size_t NameStart(const std::string& path);
// The path separator this system writes, and whether a character is one
// it reads ('/', and on Windows also '\').
char PathSeparator();
bool IsPathSeparator(char c);

}  // namespace tunewell::platform
