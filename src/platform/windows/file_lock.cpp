// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/file_lock.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include "platform/windows/wide_text.h"

namespace tunewell::platform {

FileLock::FileLock(const std::string& lockPath) {
    // Shared for reading and writing so that every cooperating process can
    // open it; the lock, not the sharing mode, keeps them apart.
    const HANDLE file = ::CreateFileW(WidePath(lockPath).c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    BY_HANDLE_FILE_INFORMATION info{};
    OVERLAPPED whole{};
    if (!::GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0 ||
        !::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) {
        ::CloseHandle(file);
        return;
    }
    // A C runtime descriptor owns the handle from here: closing it closes
    // the handle, which releases the lock.
    fd_ = ::_open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDWR);
    if (fd_ < 0) ::CloseHandle(file);
}

FileLock::~FileLock() {
    if (fd_ >= 0) ::_close(fd_);
}

}  // namespace tunewell::platform
