// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/terminal.h"

#include <windows.h>
#include <io.h>

namespace tunewell::platform {

// _isatty is also true for the NUL device; a console answers GetConsoleMode.
bool IsTerminal(std::FILE* stream) {
    if (!stream) return false;
    const int descriptor = _fileno(stream);
    if (descriptor < 0 || !_isatty(descriptor)) return false;
    DWORD mode = 0;
    return ::GetConsoleMode(reinterpret_cast<HANDLE>(_get_osfhandle(descriptor)), &mode) != 0;
}

}  // namespace tunewell::platform
