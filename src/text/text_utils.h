// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "text/number.h"

namespace tunewell::text {

// Small stateless text and number helpers. All texts are UTF-8.

// A whole number from lower to upper - 1 (upper is never returned). Reseeds
// from the clock on every call, so two calls in one tick give the same value.
long RandomInRange(long lower, long upper);

// Removes characters that may not or should not stand in a file name
// (control characters first: C0, DEL and C1) and shortens runs of blanks,
// one fixed pass of replacements. Writes the result back into `text` and
// returns it.
std::string CleanFileName(std::string& text);

// The text without control characters: C0 (below U+0020), DEL and C1
// (U+0080 to U+009F). For names that are shown, printed or saved.
std::string RemoveControlCharacters(std::string_view text);

// Lower-cases every letter (Latin, Greek, Cyrillic, full-width ...) and
// removes every CR and LF, in place and in one pass: a page is not copied.
// Returns `text`.
const std::string& NormalizePage(std::string& text);

// Every letter lower-cased (ICU simple case mapping); other bytes kept.
std::string LowerCaseLetters(std::string text);

// Text to number: 0 for empty or non-numeric text. Accepts blanks around the
// number, a sign, a decimal point, thousands separators and an exponent.
Number ToNumber(const std::string& text);

// Whether the text reads as a number in the sense of ToNumber.
bool IsNumeric(const std::string& text);

// Whether the text reads as a date, a time or both in the usual numeric
// forms (2008-10-01, 2008/10/01, 10:30, 2008-10-01 10:30:00, 10/01/2008).
bool IsDateText(const std::string& text);

// Percent-encodes every character but ASCII letters and digits, through its
// GBK bytes: two-byte characters give two escapes, single bytes give upper-
// case hex without a leading zero ("%9" for a tab). Unmappable gives %3F.
std::string UrlEncode(const std::string& text);

// Splits at every `delimiter`; mode 1 first, 2 last, 3 the one before the
// last (empty when there is none), 4 the text with every occurrence of the
// last element removed; any other mode the first. The pieces are never all
// held: a text of millions of delimiters costs no more than its own copy.
std::string SplitPart(std::string_view text, std::string_view delimiter, int mode);

// The piece modes 1 to 3 of SplitPart give (any other mode: the first), as
// a view into `text`, which must outlive it.
std::string_view SplitPiece(std::string_view text, std::string_view delimiter, int mode);

// Characters of a UTF-8 text (continuation bytes are not counted).
std::size_t CharacterCount(const std::string& text);

// Replaces every non-overlapping occurrence of `from`, left to right.
std::string ReplaceAll(std::string text, const std::string& from, const std::string& to);

}  // namespace tunewell::text
