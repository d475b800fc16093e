// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

namespace tunewell::download {

// A song's name for the status line: trims blanks, then keeps characters
// until their display width (2 for a double-byte GBK character, 1
// otherwise) reaches `width`.
std::string CutToWidth(const std::string& text, int width);

}  // namespace tunewell::download
