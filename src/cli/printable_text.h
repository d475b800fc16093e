// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>
#include <string_view>

#include "text/charset.h"
#include "text/text_utils.h"

namespace tunewell::cli {

// Text that came from a page or the network, made safe for a terminal: no
// control characters (an escape sequence could retitle the terminal, clear
// the screen or fake earlier output), and no byte that is not UTF-8 (a lone
// 0x9B starts such a sequence on some terminals).
inline std::string PrintableText(std::string_view text) {
    return text::RemoveControlCharacters(text::BytesToBstr(text, "utf-8"));
}

}  // namespace tunewell::cli
