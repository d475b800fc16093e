// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/row_selection.h"

#include <charconv>
#include <set>
#include <string_view>

namespace tunewell::cli {
namespace {

// A row number of plain digits; 0 when the text is anything else.
int RowNumber(std::string_view text, int rowCount) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    const bool digits = !text.empty() && text.front() != '-' && text.front() != '+';
    if (!digits || error != std::errc() || end != text.data() + text.size()) return 0;
    return value >= 1 && value <= rowCount ? value : 0;
}

}  // namespace

std::optional<std::vector<int>> SelectRows(const std::string& rows, int rowCount) {
    std::vector<int> picked;
    if (rows == "all") {
        for (int row = 1; row <= rowCount; ++row) picked.push_back(row);
        return picked;
    }
    std::set<int> chosen;
    std::string_view rest = rows;
    for (;;) {
        const std::size_t comma = rest.find(',');
        const std::string_view piece = rest.substr(0, comma);
        const std::size_t dash = piece.find('-', 1);
        const int first = RowNumber(piece.substr(0, dash), rowCount);
        const int last = dash == std::string_view::npos ? first : RowNumber(piece.substr(dash + 1), rowCount);
        if (first == 0 || last < first) return std::nullopt;
        for (int row = first; row <= last; ++row) chosen.insert(row);
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    picked.assign(chosen.begin(), chosen.end());
    return picked;
}

}  // namespace tunewell::cli
