// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace tunewell::text {

// Decodes bytes in the named character set into UTF-8. "gb2312" is read as
// GBK (code page 936), "utf-8" as UTF-8; invalid bytes become U+FFFD.
// Unknown names give no value (callers turn that into empty text).
std::optional<std::string> DecodeBytes(std::string_view bytes, const std::string& charset);

// BytesToBstr: DecodeBytes, with an unknown charset giving empty text.
std::string BytesToBstr(std::string_view bytes, const std::string& charset);

// UTF-8 text to GBK bytes; characters GBK lacks become "?".
std::string ToGbk(std::string_view utf8);

// GBK bytes to UTF-8 text.
std::string FromGbk(std::string_view gbk);

// The GBK bytes of `utf8` only when every character has them and they read
// back as exactly the same text; no value otherwise (Björk, 🎵, or bytes
// that are not UTF-8), so that a caller never stores a "?" in their place.
std::optional<std::string> ToGbkExact(std::string_view utf8);

}  // namespace tunewell::text
