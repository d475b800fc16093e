// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

namespace tunewell::catalogue {

// How the following pages of a paged list are addressed.
enum class Paging { None, AppendNumber, AppendCurPage };

// One kind of list page, recognised by fixed markers on the normalised
// (lower-cased, line-break free) first page.
struct PageKind {
    int order = 0;              // 1..8; 0 for "no song list"
    const char* name = "";
    const char* startMarker = "";
    const char* endMarker = "";
    Paging paging = Paging::None;
    const char* delimiter = "";
};

// The first kind whose test holds on `page`, or nullptr when none does.
const PageKind* DetectPageKind(const std::string& page);

// The kind with the given order (1..8), or nullptr.
const PageKind* PageKindByOrder(int order);

}  // namespace tunewell::catalogue
