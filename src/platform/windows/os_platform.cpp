// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/os_platform.h"

#include <windows.h>

namespace tunewell::platform {

std::string OsPlatformCode() {
    // RtlGetVersion tells the truth where GetVersionEx, without a manifest,
    // reports Windows 8; only the family and minor version matter here.
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    using RtlGetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    const auto query = ntdll ? reinterpret_cast<RtlGetVersion>(
                                   reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlGetVersion")))
                             : nullptr;
    if (query == nullptr || query(&info) != 0) return "Unk";
    switch (info.dwPlatformId) {
        case VER_PLATFORM_WIN32s: return "32S";
        case VER_PLATFORM_WIN32_WINDOWS: return info.dwMinorVersion == 0 ? "W95" : "W98";
        case VER_PLATFORM_WIN32_NT: return "WNT";
        default: return "Unk";
    }
}

}  // namespace tunewell::platform
