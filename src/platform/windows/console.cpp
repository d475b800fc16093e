// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/console.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/windows/wide_text.h"

namespace tunewell::platform {

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr) return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(Narrow(wide[i], ::wcslen(wide[i])));
    ::LocalFree(wide);
    return arguments;
}

void UseUtf8Console() { ::SetConsoleOutputCP(CP_UTF8); }

}  // namespace tunewell::platform
