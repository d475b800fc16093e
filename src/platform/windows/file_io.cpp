// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/file_io.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <climits>
#include <filesystem>

#include "platform/utf8_path.h"
#include "platform/windows/wide_text.h"

namespace tunewell::platform {
namespace {

using Kind = PathStatus::Kind;

// FILETIME counts 100 ns ticks since 1601-01-01.
std::int64_t UnixSeconds(const FILETIME& stamp) {
    const long long ticks =
        (static_cast<long long>(stamp.dwHighDateTime) << 32) | static_cast<long long>(stamp.dwLowDateTime);
    return (ticks - 116444736000000000LL) / 10000000LL;
}

PathStatus FromAttributes(DWORD attributes, DWORD sizeHigh, DWORD sizeLow, const FILETIME& written,
                          bool followLinks) {
    PathStatus status;
    status.kind = (!followLinks && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) ? Kind::kLink
                  : (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0                   ? Kind::kFolder
                                                                                   : Kind::kFile;
    status.size = (static_cast<std::int64_t>(sizeHigh) << 32) | sizeLow;
    status.ownerWritable = (attributes & FILE_ATTRIBUTE_READONLY) == 0;
    status.modifiedSeconds = UnixSeconds(written);
    return status;
}

PathStatus Failed(DWORD error) {
    PathStatus status;
    status.kind = (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) ? Kind::kMissing
                                                                                   : Kind::kUnreadable;
    return status;
}

HANDLE HandleOf(int fd) { return reinterpret_cast<HANDLE>(::_get_osfhandle(fd)); }

// errno for the system's last error, as the callers test it.
void SetErrno(DWORD error) {
    switch (error) {
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS: errno = EEXIST; break;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND: errno = ENOENT; break;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION: errno = EACCES; break;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: errno = ENOSPC; break;
        default: errno = EIO; break;
    }
}

// A C runtime descriptor that owns `file` from now on; -1 (and the handle
// closed) when none can be had.
int Adopt(HANDLE file, int flags) {
    if (file == INVALID_HANDLE_VALUE) {
        SetErrno(::GetLastError());
        return -1;
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(file), flags | _O_BINARY);
    if (fd < 0) ::CloseHandle(file);
    return fd;
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

}  // namespace

PathStatus StatusOf(const std::string& path, bool followLinks) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    const std::wstring wide = WidePath(path);
    if (!::GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data)) return Failed(::GetLastError());
    if (followLinks && (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        const HANDLE file = ::CreateFileW(wide.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                          FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (file == INVALID_HANDLE_VALUE) return Failed(::GetLastError());
        const int fd = Adopt(file, _O_RDONLY);
        const PathStatus status = fd >= 0 ? StatusOfOpen(fd) : Failed(ERROR_ACCESS_DENIED);
        if (fd >= 0) ::_close(fd);
        return status;
    }
    return FromAttributes(data.dwFileAttributes, data.nFileSizeHigh, data.nFileSizeLow, data.ftLastWriteTime,
                          followLinks);
}

PathStatus StatusOfOpen(int fd) {
    const HANDLE file = HandleOf(fd);
    if (file == INVALID_HANDLE_VALUE) return Failed(ERROR_INVALID_HANDLE);
    PathStatus status;
    switch (::GetFileType(file)) {
        case FILE_TYPE_CHAR: status.kind = Kind::kDevice; return status;
        case FILE_TYPE_PIPE: status.kind = Kind::kPipe; return status;
        case FILE_TYPE_DISK: break;
        default: status.kind = Kind::kOther; return status;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info)) return Failed(::GetLastError());
    return FromAttributes(info.dwFileAttributes, info.nFileSizeHigh, info.nFileSizeLow, info.ftLastWriteTime,
                          true);
}

std::optional<std::string> ResolvedPath(const std::string& path) {
    std::error_code error;
    const auto resolved = std::filesystem::canonical(Utf8Path(path), error);
    if (error) return std::nullopt;
    return Utf8String(resolved);
}

int OpenForReading(const std::string& path, bool followLinks) {
    const DWORD flags = FILE_ATTRIBUTE_NORMAL | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    return Adopt(::CreateFileW(WidePath(path).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, flags,
                               nullptr),
                 _O_RDONLY);
}

int OpenWriteDirect(const std::string& path) {
    return Adopt(::CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr),
                 _O_WRONLY);
}

int OpenLockedFile(const std::string& path) {
    // Shared for deleting, so the finished file can be renamed into place
    // while this handle still holds it.
    const HANDLE file = ::CreateFileW(WidePath(path).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                                      kShareAll, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    const int fd = Adopt(file, _O_RDWR);
    if (fd < 0) return -1;
    if (StatusOfOpen(fd).kind != Kind::kFile || !TryLockFile(fd)) {
        ::_close(fd);
        return -1;
    }
    return fd;
}

int CreateNewFile(const std::string& path) {
    return Adopt(::CreateFileW(WidePath(path).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, kShareAll, nullptr,
                               CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr),
                 _O_RDWR);
}

int OpenExistingFile(const std::string& path) {
    return Adopt(::CreateFileW(WidePath(path).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, kShareAll, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr),
                 _O_RDWR);
}

bool TryLockFile(int fd) {
    // The lock covers one byte far past any real file's end: Windows locks
    // are mandatory, and locking the data itself would stop other readers.
    OVERLAPPED at{};
    at.Offset = 0xFFFFFFFE;
    at.OffsetHigh = 0x7FFFFFFF;
    return ::LockFileEx(HandleOf(fd), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) != 0;
}

long long ReadSome(int fd, char* buffer, std::size_t size) {
    const unsigned piece = static_cast<unsigned>(size > INT_MAX / 2 ? INT_MAX / 2 : size);
    return ::_read(fd, buffer, piece);
}

bool SeekFile(int fd, std::int64_t offset) { return ::_lseeki64(fd, offset, SEEK_SET) == offset; }
bool TruncateFile(int fd) { return ::_chsize_s(fd, 0) == 0; }
bool CloseFile(int fd) { return ::_close(fd) == 0; }
bool TakePermissionsOf(int, const std::string&) { return true; }

bool RemoveFile(const std::string& path) {
    if (::DeleteFileW(WidePath(path).c_str())) return true;
    SetErrno(::GetLastError());
    return false;
}

bool RenameFile(const std::string& from, const std::string& to) {
    if (::MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    SetErrno(::GetLastError());
    return false;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW((WidePath(folder) + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(Narrow(name));
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return names;
}

std::size_t NameStart(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? 0 : slash + 1;
}

char PathSeparator() { return '\\'; }
bool IsPathSeparator(char c) { return c == '/' || c == '\\'; }

// The C runtime reports ERROR_DISK_FULL and ERROR_HANDLE_DISK_FULL as ENOSPC.
bool IsDiskFull(int error) { return error == ENOSPC; }

}  // namespace tunewell::platform
