// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/free_space.h"

#include <windows.h>

#include <limits>

#include "platform/windows/wide_text.h"

namespace tunewell::platform {

std::optional<std::int64_t> FreeSpaceIn(const std::string& folder) {
    if (folder.empty()) return std::nullopt;
    // A share's root is only accepted with its closing backslash; any
    // other folder takes one as well.
    std::wstring path = WidePath(folder);
    if (path.back() != L'\\') path += L'\\';
    ULARGE_INTEGER forCaller{};  // the caller's quota counted
    if (!::GetDiskFreeSpaceExW(path.c_str(), &forCaller, nullptr, nullptr)) return std::nullopt;
    constexpr auto kMost = static_cast<unsigned long long>(std::numeric_limits<std::int64_t>::max());
    return static_cast<std::int64_t>(forCaller.QuadPart > kMost ? kMost : forCaller.QuadPart);
}

}  // namespace tunewell::platform
