// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/detached_start.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/windows/wide_text.h"

namespace tunewell::platform {

bool StartDetachedScript(const std::string& scriptPath) {
    // The script host would start and then complain in a window about a
    // missing script; check first so the caller learns of it.
    const std::wstring script = WidePath(scriptPath);
    const DWORD attributes = ::GetFileAttributesW(script.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return false;
    // The shell's "open" verb runs a .vbs file with the script host the
    // user has registered for it.
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = script.c_str();
    info.nShow = SW_HIDE;
    if (!::ShellExecuteExW(&info)) return false;
    if (info.hProcess != nullptr) ::CloseHandle(info.hProcess);
    return true;
}

bool StartDetachedProgram(const std::string& programPath, const std::string& workFolder) {
    const std::wstring program = WidePath(programPath);
    std::wstring commandLine = L"\"" + program + L"\"";
    const std::wstring folder = WidePath(workFolder);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                          DETACHED_PROCESS | CREATE_NEW_PROCESS_GROUP, nullptr,
                          folder.empty() ? nullptr : folder.c_str(), &startup, &process))
        return false;
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return true;
}

}  // namespace tunewell::platform
