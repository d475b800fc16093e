// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/get_body.h"

namespace tunewell::web {

std::string GetBody(const std::string& text, const std::string& startMarker,
                    const std::string& endMarker, bool includeStart, bool includeEnd) {
    return std::string(GetBodyView(text, startMarker, endMarker, includeStart, includeEnd));
}

std::string_view GetBodyView(std::string_view text, std::string_view startMarker, std::string_view endMarker,
                             bool includeStart, bool includeEnd) {
    if (text.empty() || text == kFalse || startMarker.empty() || endMarker.empty()) return {};
    std::size_t start = text.find(startMarker);
    if (start == std::string::npos) return {};
    if (!includeStart) start += startMarker.size();
    // The end marker is looked for from the cut's start, which is the start
    // marker itself when it is kept.
    std::size_t end = text.find(endMarker, start);
    if (end == std::string::npos || end <= start) return {};
    if (includeEnd) end += endMarker.size();
    return text.substr(start, end - start);
}

}  // namespace tunewell::web
