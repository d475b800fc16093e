// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/file_info.h"

#include <windows.h>

#include <cerrno>
#include <vector>

#include "platform/windows/wide_text.h"

namespace tunewell::platform {
namespace {

using TimePoint = std::chrono::system_clock::time_point;

// FILETIME counts 100 ns ticks since 1601-01-01.
constexpr long long kTicksTo1970 = 116444736000000000LL;

TimePoint ToTime(const FILETIME& stamp) {
    const long long ticks =
        (static_cast<long long>(stamp.dwHighDateTime) << 32) | static_cast<long long>(stamp.dwLowDateTime);
    return TimePoint(std::chrono::duration_cast<TimePoint::duration>(
        std::chrono::nanoseconds((ticks - kTicksTo1970) * 100)));
}

}  // namespace

bool ReadItemTimes(const std::string& path, ItemTimes& times) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &data)) {
        errno = ENOENT;
        return false;
    }
    times.created = ToTime(data.ftCreationTime);
    times.accessed = ToTime(data.ftLastAccessTime);
    times.modified = ToTime(data.ftLastWriteTime);
    return true;
}

bool IsWritableFolder(const std::string& path) {
    const std::wstring folder = WidePath(path);
    const DWORD attributes = ::GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return false;
    // Rights live in access lists the attributes do not show: only making a
    // file tells.
    const std::wstring probe = folder + L"\\.tw-write-probe";
    const HANDLE file = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return ::GetLastError() == ERROR_FILE_EXISTS;
    ::CloseHandle(file);
    return true;
}

std::string MountRootOf(const std::string& fullPath) {
    std::vector<wchar_t> root(MAX_PATH + 1);
    if (!::GetVolumePathNameW(WidePath(fullPath).c_str(), root.data(), static_cast<DWORD>(root.size())))
        return {};
    return Narrow(root.data(), ::wcslen(root.data()));
}

}  // namespace tunewell::platform
