// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>
#include <string_view>

namespace tunewell::web {

// The failure sentinel of the page requests, compared exactly by callers.
inline constexpr const char* kFalse = "$False$";

// The stretch from the first `startMarker` to the first `endMarker` after it,
// each marker kept when its flag is set. Empty text when `text` is empty or
// the sentinel, a marker is empty or missing, or nothing lies between the two
// markers. Searches are exact and case-sensitive.
std::string GetBody(const std::string& text, const std::string& startMarker,
                    const std::string& endMarker, bool includeStart, bool includeEnd);

// The same stretch as a view into `text`, which must outlive it: a cut from
// a large page without copying it.
std::string_view GetBodyView(std::string_view text, std::string_view startMarker, std::string_view endMarker,
                             bool includeStart, bool includeEnd);

}  // namespace tunewell::web
