// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace tunewell::base {

// Byte-level text helpers every layer needs, the updater included: no ICU,
// no locale, no allocation beyond the result.

// ASCII letters lower-cased; every other byte as it is.
std::string LowerAscii(std::string_view text);

// Whether `text` starts with `lowerPrefix` (given in lower case), ignoring
// the case of ASCII letters.
bool StartsWithNoCase(std::string_view text, std::string_view lowerPrefix);

// Every piece between occurrences of `delimiter` (one piece, the whole text,
// for an empty delimiter).
std::vector<std::string> SplitAll(const std::string& text, std::string_view delimiter);

}  // namespace tunewell::base
