// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/folder_facts.h"

#include <windows.h>

#include <filesystem>
#include <system_error>

#include "platform/utf8_path.h"
#include "platform/windows/wide_text.h"

namespace tunewell::platform {
namespace {

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Whether a file can be made in the folder: the only sure test on Windows,
// where access rights live in lists the attribute bits do not show.
bool CanCreateIn(const std::wstring& folder) {
    const std::wstring probe = folder + L"\\.tw-write-test";
    const HANDLE file = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return ::GetLastError() == ERROR_FILE_EXISTS;
    ::CloseHandle(file);
    return true;
}

}  // namespace

// Windows has no single owner that decides what a user may do with a
// folder: the access list does. A folder the user can create files in is
// the user's own copy (an unpacked folder, %LOCALAPPDATA%\Programs); one
// under Program Files is not.
FolderFacts FactsOfFolder(const std::string& folder) {
    FolderFacts facts;
    const std::wstring wide = WidePath(folder);
    if (folder.empty() || !IsFolder(wide)) return facts;
    facts.exists = true;
    facts.writable = CanCreateIn(wide);
    facts.ownedByUser = facts.writable;
    return facts;
}

bool IsWritableFile(const std::string& path) {
    const std::wstring wide = WidePath(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return false;
    const HANDLE file = ::CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(file);
    return true;
}

bool MayReplaceFile(const std::string& path) {
    const std::filesystem::path target = Utf8Path(path);
    const std::wstring folder = WidePath(Utf8String(target.parent_path().empty() ? "." : target.parent_path()));
    if (!IsFolder(folder) || !CanCreateIn(folder)) return false;
    const std::wstring wide = WidePath(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || IsWritableFile(path)) return true;
    // A running program cannot be opened for writing by anyone. Windows
    // checks the access rights before the sharing, so a sharing violation
    // says this user may write the file once the program has ended.
    if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) return false;
    const HANDLE file = ::CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        ::CloseHandle(file);
        return true;
    }
    return ::GetLastError() == ERROR_SHARING_VIOLATION;
}

// Windows folders carry no mode bits: `mode` has no meaning here.
bool MakeFolders(const std::string& folder, int) {
    std::error_code error;
    const std::filesystem::path path = Utf8Path(folder);
    std::filesystem::create_directories(path, error);
    return std::filesystem::is_directory(path, error);
}

}  // namespace tunewell::platform
