// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/console.h"

namespace tunewell::platform {

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void UseUtf8Console() {}

}  // namespace tunewell::platform
