// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <chrono>

#include "demo_site/demo_catalogue.h"
#include "demo_site/list_markup.h"
#include "demo_site/routes.h"
#include "text/charset.h"

namespace tunewell::demo {
namespace {

// A page number at the end of a list address ("" is page 1); -1 when the
// rest is not a number.
int PageNumber(std::string_view rest) {
    if (!rest.empty() && rest.front() == '/') rest.remove_prefix(1);
    if (rest.empty()) return 1;
    const long long n = ParseDigits(rest);
    if (n < 0) return -1;
    return static_cast<int>(std::clamp<long long>(n, 1, 1000000));
}

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

std::string Box(const std::string& heading, const std::string& content) {
    return "<DIV class=box>\r\n<H2>" + heading + "</H2>\r\n" + content + "</DIV>\r\n";
}

void SendList(HttpResponse& response, const std::string& title, const std::string& content) {
    SendGbkPage(response, SitePageHead(title) + content + SitePageFoot());
}

// Kind 1: songs in msl() calls, paged by appending the page number.
void ScriptListPage(HttpResponse& response, const std::string& title, const std::string& base, int listBase,
                    int page, int pages, int perPage) {
    const auto ids = page <= pages ? PageIds(listBase, page, perPage) : std::vector<int>{};
    const auto href = [&base](int n) { return n == 1 ? base : base + std::to_string(n); };
    SendList(response, title,
             Box(title, "<UL class=songs>\r\n" + MslScript(ids) + "</UL>\r\n" + Pager(page, pages, href, true)));
}

// Kinds 3 and 4: a table of rows with check boxes and song links.
void TablePage(HttpResponse& response, const std::string& title, const std::string& marker,
               const std::vector<int>& ids, const std::string& pager) {
    SendList(response, title, marker + "\r\n" + Box(title, SongTable(ids) + pager));
}

void HomePage(HttpResponse& response) {
    SendList(response, "首页",
             Crlf({"<DIV class=welcome><H2>欢迎来到Tunewell</H2>",
                   "<P>在这里分享你喜欢的音乐。<A href=\"/signin.php\">登录</A></P></DIV>"}));
}

void ListenPage(HttpResponse& response) {
    const auto ids = PageIds(5000, 1, 8);
    SendList(response, "大家在听",
             Box("大家在听", "<TABLE class=songs>\r\n<COLGROUP><COL width=30><COL><COL width=120></COLGROUP> " +
                                 WlScript("wl", ids) + "\r\n</TABLE>\r\n"));
}

void WsPage(HttpResponse& response, const std::string& title, int base) {
    SendList(response, title, Box(title, "<DIV class=songs>" + WlScript("ws", PageIds(base, 1, 6)) + "</DIV>\r\n"));
}

void TagPage(HttpResponse& response, const std::string& rawTag) {
    const std::string tag = text::FromGbk(PercentDecode(rawTag, false));
    const auto ids = PageIds(9000, 1, 6);
    SendList(response, "标签：" + tag,
             Box("标签音乐", "<P class=tip>下面这些歌曲被标注为“" + tag + "”</P>\r\n" +
                                 "<TABLE class=songs>\r\n<COLGROUP><COL width=30><COL></COLGROUP> <TBODY>\r\n" +
                                 WlScript("wl", ids, true) + "</TBODY>\r\n</TABLE>\r\n"));
}

void AlbumPage(HttpResponse& response, const std::string& albumId) {
    SendList(response, "自建专辑",
             Box("专辑 " + albumId + "：演示歌曲", "<UL class=songs>\r\n" + MslScript(FeaturedSongIds()) + "</UL>\r\n"));
}

void MemberPage(DemoState& state, const HttpRequest& request, HttpResponse& response) {
    if (!SignedInOrForm(state, request, response)) return;
    const std::string tag = request.QueryValue("tag");
    const auto& options = state.Options();
    if (tag == "fav" || tag == "box") {
        const bool fav = tag == "fav";
        const int pages = fav ? options.favouritePages : options.boxPages;
        int page = PageNumber(request.QueryValue("curpage"));
        if (page < 0) page = 1;
        const auto ids = page <= pages ? PageIds(fav ? 6000 : 6500, page, 6) : std::vector<int>{};
        const std::string base = "/home.php?tag=" + tag;
        const auto href = [&base](int n) { return n == 1 ? base : base + "&curpage=" + std::to_string(n); };
        TablePage(response, fav ? "我的收藏夹" : "我的音乐盒",
                  fav ? "<H3 class=tip>您收藏的歌曲</H3>" : "<H3 class=tip>您音乐盒中的歌曲</H3>", ids,
                  Pager(page, pages, href, true));
        return;
    }
    WsPage(response, "我的推荐", 6800);
}

bool CategoryPage(DemoState& state, std::string_view rest, HttpResponse& response) {
    // rest: "<cat>/" followed by an optional page number.
    const auto slash = rest.find('/');
    if (slash == std::string_view::npos) return false;
    const std::string category(rest.substr(0, slash));
    const int page = PageNumber(rest.substr(slash));
    if (ParseDigits(category) < 0 || page < 0) return false;
    const int pages = state.Options().categoryPages;
    const std::string base = "/music/catsong/cat" + category + "/";
    const auto href = [&base](int n) { return n == 1 ? base : base + std::to_string(n); };
    const auto ids = page <= pages ? PageIds(7000, page, 8) : std::vector<int>{};
    TablePage(response, "音乐分类", "<H2 class=cat>音乐分类：流行金曲</H2>", ids, Pager(page, pages, href, true));
    return true;
}

bool GroupPage(DemoState& state, std::string_view rest, HttpResponse& response) {
    // rest: "<group>/fav" followed by an optional page number.
    const auto slash = rest.find("/fav");
    if (slash == std::string_view::npos || ParseDigits(rest.substr(0, slash)) < 0) return false;
    const int page = PageNumber(rest.substr(slash + 4));
    if (page < 0) return false;
    const int pages = state.Options().groupPages;
    const std::string base = "/group/" + std::string(rest.substr(0, slash)) + "/fav";
    const auto href = [&base](int n) { return n == 1 ? base : base + std::to_string(n); };
    const auto ids = page <= pages ? PageIds(7500, page, 6) : std::vector<int>{};
    // This pager ends with a page number, not with a » link.
    TablePage(response, "小组推荐", "<H1 class=\"h1user\">小组</H1>", ids, Pager(page, pages, href, false));
    return true;
}

}  // namespace

bool HandleListPages(DemoState& state, const HttpRequest& request, HttpResponse& response) {
    const std::string& path = request.path;
    const auto& options = state.Options();
    if (!state.SleepUnlessStopping(std::chrono::milliseconds(options.listDelayMs))) {
        response.dropConnection = true;
        return true;
    }
    if (path == "/" || path == "/index.php") {
        HomePage(response);
        return true;
    }
    if (path == "/home.php") {
        MemberPage(state, request, response);
        return true;
    }
    if (path == "/music/lsn") {
        ListenPage(response);
        return true;
    }
    if (StartsWith(path, "/music/chart")) {
        const int page = PageNumber(std::string_view(path).substr(12));
        if (page < 0) return false;
        ScriptListPage(response, "一周排行", "/music/chart/", 3000, page, options.chartPages,
                       options.chartPageSongs);
        return true;
    }
    if (StartsWith(path, "/music/catsong/cat")) return CategoryPage(state, std::string_view(path).substr(18), response);
    if (StartsWith(path, "/music/")) {
        const int page = PageNumber(std::string_view(path).substr(6));
        if (page < 0) return false;
        ScriptListPage(response, "大家推荐", "/music/", 4000, page, 3, 8);
        return true;
    }
    if (StartsWith(path, "/group/")) return GroupPage(state, std::string_view(path).substr(7), response);
    if (StartsWith(path, "/user/")) {
        WsPage(response, "会员推荐", 8000);
        return true;
    }
    if (StartsWith(path, "/album/")) {
        AlbumPage(response, path.substr(7));
        return true;
    }
    if (StartsWith(path, "/tag/")) {
        TagPage(response, path.substr(5));
        return true;
    }
    return false;
}

}  // namespace tunewell::demo
