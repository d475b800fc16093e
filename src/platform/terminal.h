// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdio>

namespace tunewell::platform {

// Whether `stream` writes to a terminal (not a file or a pipe), so that a
// line may be rewritten in place with a carriage return.
bool IsTerminal(std::FILE* stream);

}  // namespace tunewell::platform
