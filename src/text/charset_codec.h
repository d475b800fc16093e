// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace tunewell::text {

// The system's character-set tables, behind one seam: ICU on Linux, the
// Win32 code-page and locale calls on Windows. Both give the same results
// on every valid input; invalid bytes become U+FFFD.

// Decodes `bytes` into UTF-8. `charset` is a lower-case name, with every
// simplified-Chinese name already turned into "gbk" (code page 936).
// Nothing for a name the tables do not know; empty text when the decoding
// itself fails.
std::optional<std::string> DecodeCharset(std::string_view bytes, const std::string& charset);

// UTF-8 text as GBK bytes; characters GBK lacks (and invalid UTF-8)
// become "?".
std::string EncodeGbk(std::string_view utf8);

// The simple lower-case mapping of one code point (itself when it has none).
char32_t LowerCodePoint(char32_t c);

}  // namespace tunewell::text
