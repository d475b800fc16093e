#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace tunewell::web {

// Reads the code point at `at` in UTF-8 text and moves `at` past it. An
// ill-formed sequence gives -1 and moves past its longest valid start (at
// least one byte), as the Unicode standard recommends for substitution.
long NextCodePoint(std::string_view text, std::size_t& at);

// Appends one code point as UTF-8.
void AppendUtf8(std::string& out, char32_t c);

}  // namespace tunewell::web
