// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>
#include <string>
#include <vector>

namespace tunewell::cli {

// Pure: the rows a download's ROWS word picks out of `rowCount` rows, in
// ascending order and each once. ROWS is "all" or a comma-separated list of
// 1-based row numbers and ranges ("2-4,7"). Nothing when a piece is not a
// whole number or a range from low to high, or lies outside 1..rowCount.
std::optional<std::vector<int>> SelectRows(const std::string& rows, int rowCount);

}  // namespace tunewell::cli
