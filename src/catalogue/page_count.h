// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <string>

namespace tunewell::catalogue {

// How many pages of a list to fetch, the first included, read from the pager
// of the normalised first page and capped by the GetPage setting: the smaller
// of the two (`getPage` when equal). 0 or 1 means the first page only; a page
// without a readable pager gives 0 for any positive setting.
double GetPageCount(const std::string& page, std::int16_t getPage);

}  // namespace tunewell::catalogue
