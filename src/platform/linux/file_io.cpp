// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>

namespace tunewell::platform {
namespace {

PathStatus FromStat(const struct stat& info) {
    PathStatus status;
    using Kind = PathStatus::Kind;
    status.kind = S_ISREG(info.st_mode)   ? Kind::kFile
                  : S_ISLNK(info.st_mode) ? Kind::kLink
                  : S_ISDIR(info.st_mode) ? Kind::kFolder
                  : S_ISCHR(info.st_mode) ? Kind::kDevice
                  : S_ISFIFO(info.st_mode) ? Kind::kPipe
                                           : Kind::kOther;
    status.size = static_cast<std::int64_t>(info.st_size);
    status.ownerWritable = (info.st_mode & S_IWUSR) != 0;
    status.modifiedSeconds = static_cast<std::int64_t>(info.st_mtime);
    return status;
}

PathStatus Failed() {
    PathStatus status;
    status.kind = (errno == ENOENT || errno == ENOTDIR) ? PathStatus::Kind::kMissing
                                                        : PathStatus::Kind::kUnreadable;
    return status;
}

}  // namespace

PathStatus StatusOf(const std::string& path, bool followLinks) {
    struct stat info {};
    const int result = followLinks ? ::stat(path.c_str(), &info) : ::lstat(path.c_str(), &info);
    return result == 0 ? FromStat(info) : Failed();
}

PathStatus StatusOfOpen(int fd) {
    struct stat info {};
    return ::fstat(fd, &info) == 0 ? FromStat(info) : Failed();
}

std::optional<std::string> ResolvedPath(const std::string& path) {
    char* real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr) return std::nullopt;
    std::string resolved(real);
    std::free(real);
    return resolved;
}

int OpenForReading(const std::string& path, bool followLinks) {
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | (followLinks ? 0 : O_NOFOLLOW));
}

int OpenWriteDirect(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

int OpenLockedFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd < 0) return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

int CreateNewFile(const std::string& path) {
    return ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0666);
}

int OpenExistingFile(const std::string& path) {
    return ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
}

bool TryLockFile(int fd) { return ::flock(fd, LOCK_EX | LOCK_NB) == 0; }

long long ReadSome(int fd, char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t got = ::read(fd, buffer, size);
        if (got < 0 && errno == EINTR) continue;
        return got;
    }
}

bool SeekFile(int fd, std::int64_t offset) { return ::lseek(fd, offset, SEEK_SET) == offset; }
bool TruncateFile(int fd) { return ::ftruncate(fd, 0) == 0; }
bool CloseFile(int fd) { return ::close(fd) == 0; }

bool TakePermissionsOf(int fd, const std::string& modelPath) {
    struct stat existing {};
    if (::lstat(modelPath.c_str(), &existing) != 0 || !S_ISREG(existing.st_mode)) return true;
    return ::fchmod(fd, existing.st_mode & 07777) == 0;
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }
bool RenameFile(const std::string& from, const std::string& to) { return ::rename(from.c_str(), to.c_str()) == 0; }

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), &::closedir);
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    return names;
}

std::size_t NameStart(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

char PathSeparator() { return '/'; }
bool IsPathSeparator(char c) { return c == '/'; }

bool IsDiskFull(int error) { return error == ENOSPC || error == EDQUOT; }

}  // namespace tunewell::platform
