// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/program_folder.h"

#include <windows.h>

#include <vector>

#include "platform/windows/wide_text.h"

namespace tunewell::platform {

std::string ProgramFolder() {
    // The result is cut short without an error when the buffer is too
    // small, so grow it until the name fits with room to spare.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size() - 1) {
            std::wstring path(buffer.data(), length);
            const auto cut = path.find_last_of(L"\\/");
            return Narrow(cut == std::wstring::npos ? path : path.substr(0, cut));
        }
        if (buffer.size() >= 32768) return {};
        buffer.resize(buffer.size() * 2);
    }
}

std::string MainProgramFileName() { return "Tunewell.exe"; }

}  // namespace tunewell::platform
