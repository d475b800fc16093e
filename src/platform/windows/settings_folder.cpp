#include "platform/settings_folder.h"

#include <windows.h>
#include <shlobj.h>

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

bool CanWriteFile(const std::wstring& path) {
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(file);
    return true;
}

}  // namespace

std::string SettingsFolder(const std::string& programFolder) {
    const std::wstring folder = WidePath(programFolder);
    if (!IsFolder(folder) || CanCreateIn(folder) || CanWriteFile(folder + L"\\Config.ini"))
        return programFolder;
    // A program installed where the user cannot write (Program Files) keeps
    // its settings in the user's roaming application data.
    PWSTR appData = nullptr;
    if (::SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_CREATE, nullptr, &appData) != S_OK) {
        ::CoTaskMemFree(appData);
        return programFolder;
    }
    const std::wstring own = std::wstring(appData) + L"\\Tunewell";
    ::CoTaskMemFree(appData);
    if (!::CreateDirectoryW(own.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
        return programFolder;
    return Narrow(own);
}

}  // namespace tunewell::platform
