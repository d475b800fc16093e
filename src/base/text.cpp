// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/text.h"

namespace tunewell::base {
namespace {

char LowerByte(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string LowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = LowerByte(c);
    return lower;
}

bool StartsWithNoCase(std::string_view text, std::string_view lowerPrefix) {
    if (text.size() < lowerPrefix.size()) return false;
    for (std::size_t i = 0; i < lowerPrefix.size(); ++i) {
        if (LowerByte(text[i]) != lowerPrefix[i]) return false;
    }
    return true;
}

std::vector<std::string> SplitAll(const std::string& text, std::string_view delimiter) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    if (!delimiter.empty()) {
        for (auto at = text.find(delimiter); at != std::string::npos; at = text.find(delimiter, start)) {
            pieces.push_back(text.substr(start, at - start));
            start = at + delimiter.size();
        }
    }
    pieces.push_back(text.substr(start));
    return pieces;
}

}  // namespace tunewell::base
