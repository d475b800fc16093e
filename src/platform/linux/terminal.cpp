// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/terminal.h"

#include <unistd.h>

namespace tunewell::platform {

bool IsTerminal(std::FILE* stream) {
    if (stream == nullptr) return false;
    const int fd = ::fileno(stream);
    return fd >= 0 && ::isatty(fd) == 1;
}

}  // namespace tunewell::platform
