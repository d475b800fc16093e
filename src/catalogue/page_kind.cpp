// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/page_kind.h"

#include <array>

namespace tunewell::catalogue {
namespace {

bool Has(const std::string& page, const char* marker) { return page.find(marker) != std::string::npos; }

constexpr std::array<PageKind, 8> kKinds{{
    {1, "script list msl", "<script>msl(", "</script>", Paging::AppendNumber, "msl("},
    {2, "script list wl", "</colgroup> <script>wl(", "</script>", Paging::None, "wl("},
    {3, "favourites or music box", "</colgroup>", "</table>", Paging::AppendCurPage, "<tr>"},
    {4, "category or group", "</colgroup>", "</table>", Paging::AppendNumber, "<tr>"},
    {5, "script list ws", "<script>ws(", "</script>", Paging::None, "ws("},
    {6, "tag", "</colgroup> ", "</table>", Paging::None, "wl("},
    {7, "single song", "", "", Paging::None, "wrtsongline("},
    {8, "player with song list", "<ul id=songs>", "</ul>", Paging::None, "wrtsongline("},
}};

bool KindMatches(int order, const std::string& page) {
    switch (order) {
        case 1: return Has(page, "<script>msl(");
        case 2: return Has(page, "</colgroup> <script>wl(");
        case 3: return Has(page, "您收藏的歌曲") || Has(page, "您音乐盒中的歌曲");
        case 4: return Has(page, "音乐分类：") || Has(page, "<h1 class=\"h1user\">小组</h1>");
        case 5: return Has(page, "<script>ws(");
        case 6: return Has(page, "下面这些歌曲被标注为");
        case 7: return Has(page, "<div id=\"playicon\">");
        case 8: return Has(page, "播放器") && Has(page, "歌曲列表");
        default: return false;
    }
}

}  // namespace

const PageKind* DetectPageKind(const std::string& page) {
    for (const PageKind& kind : kKinds) {
        if (KindMatches(kind.order, page)) return &kind;
    }
    return nullptr;
}

const PageKind* PageKindByOrder(int order) {
    if (order < 1 || order > static_cast<int>(kKinds.size())) return nullptr;
    return &kKinds[static_cast<std::size_t>(order - 1)];
}

}  // namespace tunewell::catalogue
