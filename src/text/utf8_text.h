// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace tunewell::text {

// Reads the code point at `at` in UTF-8 text and moves `at` past it. An
// ill-formed sequence gives -1 and moves past its longest valid start (at
// least one byte), as the Unicode standard recommends for substitution.
long NextCodePoint(std::string_view text, std::size_t& at);

// The longest start of `text` of at most `maxBytes` bytes that does not end
// inside a UTF-8 character. Bytes that are no UTF-8 are cut at `maxBytes`.
std::string_view Utf8Prefix(std::string_view text, std::size_t maxBytes);

// Appends one code point as UTF-8.
void AppendUtf8(std::string& out, char32_t c);

// The bytes of the character a UTF-8 lead byte starts (1 to 4); 1 for a
// byte that starts none, so that a walk over ill-formed text goes on.
std::size_t Utf8CharLength(unsigned char lead);

}  // namespace tunewell::text
