// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>
#include <string>
#include <vector>

namespace tunewell::demo {

// Mark-up of the song lists on the music site's pages, in UTF-8 with CR LF.

// `count` consecutive generated ids of page `page` (from 1) of a list.
std::vector<int> PageIds(int base, int page, int count);

// <SCRIPT>msl("title","id","performer","time"); ...</SCRIPT>
std::string MslScript(const std::vector<int>& ids);
// <SCRIPT>name("n","id","title","extra"); ...</SCRIPT> for the wl and ws
// lists. The third entry carries a date and the fifth a number as its extra;
// the second is written with ", " between its arguments. With `playCounts`
// every call gets a fifth argument, so the text after the list (up to the
// end of its table) stays out of the fourth.
std::string WlScript(const char* name, const std::vector<int>& ids, bool playCounts = false);
// <TABLE> with a <COLGROUP> and one <TR> row per song: a check box and a
// link to /song/<id>/ (the third row with quotation marks, the others with
// apostrophes). The heading row is a <TR class=head>.
std::string SongTable(const std::vector<int>& ids);

// The pager "<DIV class=pages>...</DIV>" of page `current` of `pages`: the
// page numbers, then (when `raquo`) a "下一页" link and the » link to the
// last page. Empty for lists of one page.
std::string Pager(int current, int pages, const std::function<std::string(int)>& href, bool raquo);

}  // namespace tunewell::demo
