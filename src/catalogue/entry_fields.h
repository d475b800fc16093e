// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tunewell::catalogue {

// The fields of a list entry are the pieces between its `","` separators
// once every `", "` in it has become `","` (left to right, as a text
// replacement and a split would find them). A rule reads at most the first
// four, so only those are read, each cut to kMaxFieldBytes: an entry of
// millions of separators, or with one field of megabytes, costs no more
// memory than a short one, and the entry itself is never copied.
inline constexpr std::size_t kMaxEntryFields = 4;
inline constexpr std::size_t kMaxFieldBytes = 4096;

// Whether the entry has a field separator, `","` or `", "`.
bool HasFieldSeparator(std::string_view entry);

// The first `maxFields` fields of `entry`, fewer when it has fewer (an entry
// without a separator is one field); each cut at a character boundary to at
// most `maxFieldBytes`.
std::vector<std::string> ReadEntryFields(std::string_view entry, std::size_t maxFields = kMaxEntryFields,
                                         std::size_t maxFieldBytes = kMaxFieldBytes);

// `text` with every `", "` replaced by `","`, cut at a character boundary to
// at most `maxBytes`; only the start of `text` that can reach the result
// is read.
std::string LooseFieldText(std::string_view text, std::size_t maxBytes = kMaxFieldBytes);

}  // namespace tunewell::catalogue
