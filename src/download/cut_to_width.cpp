// SPDX-License-Identifier: GPL-3.0-or-later
#include "download/cut_to_width.h"

#include "text/charset.h"
#include "text/utf8_text.h"

namespace tunewell::download {

std::string CutToWidth(const std::string& text, int width) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    const std::string trimmed = text.substr(first, text.find_last_not_of(' ') - first + 1);
    int running = 0;
    std::size_t at = 0;
    while (at < trimmed.size()) {
        const std::size_t length = text::Utf8CharLength(static_cast<unsigned char>(trimmed[at]));
        running += text::ToGbk(trimmed.substr(at, length)).size() == 2 ? 2 : 1;
        at += length;
        if (running >= width) return trimmed.substr(0, at);
    }
    return trimmed;
}

}  // namespace tunewell::download
