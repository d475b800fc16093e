// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <chrono>

#include "demo_site/demo_catalogue.h"
#include "demo_site/list_markup.h"
#include "demo_site/routes.h"
#include "demo_site/site_names.h"
#include "text/charset.h"

namespace tunewell::demo {
namespace {

// Beginning of a kind-1 list page: the script list opened, entries written,
// nothing closed.
std::string OpenScriptList() {
    std::string list = MslScript(PageIds(3000, 1, 5));
    list.resize(list.rfind("</SCRIPT>"));
    return SitePageHead("一周排行") + "<DIV class=box>\r\n<H2>一周排行</H2>\r\n<UL class=songs>\r\n" + list;
}

// Streams a GBK page of `total` bytes (at least prefix and suffix):
// `prefix`, then `unit` repeated (the last copy cut to fit), then `suffix`.
// Never holds the page whole.
void StreamFilled(HttpResponse& response, const std::string& prefix, const std::string& unit,
                  const std::string& suffix, std::uint64_t total) {
    const std::uint64_t fixed = prefix.size() + suffix.size();
    total = std::max(total, fixed);
    std::string block;
    while (block.size() < 64 * 1024) block += unit;
    response.SetHeader("Content-Type", "text/html; charset=gb2312");
    response.streamLength = static_cast<std::int64_t>(total);
    response.stream = [prefix, suffix, block, filler = total - fixed](BodySink& sink) {
        if (!sink.Write(prefix)) return false;
        for (std::uint64_t left = filler; left > 0;) {
            const auto take = static_cast<std::size_t>(std::min<std::uint64_t>(left, block.size()));
            if (!sink.Write(std::string_view(block).substr(0, take))) return false;
            left -= take;
        }
        return sink.Write(suffix);
    };
}

// A page of `total` bytes: a complete kind-1 list, then ASCII filler
// comments, then the page end. Streamed, never held whole.
void HugePage(HttpResponse& response, std::uint64_t total) {
    const std::string prefix = text::ToGbk(OpenScriptList() + "</SCRIPT>\r\n</UL></DIV>\r\n");
    const std::string suffix = text::ToGbk(SitePageFoot());
    StreamFilled(response, prefix, "<!-- padding: the quick brown fox jumps over the lazy dog 0123456789 -->\r\n",
                 suffix, total);
}

// A kind-1 list of `total` bytes whose first entry is whole and whose rest
// is "msl(" over and over: every bare call repeats the entry before it, so
// a parser without a row bound makes millions of rows. Streamed.
void RepeatedEntryPage(HttpResponse& response, std::uint64_t total) {
    const std::string prefix = text::ToGbk(OpenScriptList());
    const std::string suffix = text::ToGbk("</SCRIPT>\r\n</UL></DIV>\r\n" + SitePageFoot());
    StreamFilled(response, prefix, "msl(", suffix, total);
}

// A kind-1 list whose last entry has `count` field separators (`","`, or
// `", "` when `spaced`) after its title and id: a parser that splits an
// entry into all its fields holds millions of them. Streamed.
void SeparatorsPage(HttpResponse& response, std::uint64_t count, bool spaced) {
    const std::string unit = spaced ? "\", \"" : "\",\"";
    const std::string prefix = text::ToGbk(OpenScriptList() + "msl(\"长歌\",\"4001");
    const std::string suffix = text::ToGbk("\");\r\n</SCRIPT>\r\n</UL></DIV>\r\n" + SitePageFoot());
    StreamFilled(response, prefix, unit, suffix, prefix.size() + count * unit.size() + suffix.size());
}

// Page `page` of a kind-1 list of kBigListPages pages, each `total` bytes of
// which nearly all is one script entry of filler with no separator: no
// song, but a body as large as the page. Addressed as /hostile/<name>/
// (then 2, 3 ...) with hugePageBytes per page, or /hostile/<name>/<N>mb/
// (then 2, 3 ...) with N MiB. The filler of "bigpages" is ASCII; that of
// "widepages" is the byte 0x80, which GBK reads as "€": three bytes of
// text for every byte sent. Streamed.
constexpr int kBigListPages = 100;

bool BigListPage(DemoState& state, const std::string& name, std::string_view rest, HttpResponse& response) {
    std::string base = "/hostile/" + name + "/";
    std::uint64_t total = state.Options().hugePageBytes;
    if (const auto mb = rest.find("mb/"); mb != std::string_view::npos) {
        const long long megabytes = ParseDigits(rest.substr(0, mb));
        if (megabytes < 0) return false;
        total = static_cast<std::uint64_t>(megabytes) << 20;
        base += std::string(rest.substr(0, mb + 3));
        rest.remove_prefix(mb + 3);
    }
    const long long page = rest.empty() ? 1 : ParseDigits(rest);
    if (page < 1) return false;
    const auto href = [&base](int n) { return n == 1 ? base : base + std::to_string(n); };
    const std::string prefix = text::ToGbk(SitePageHead("大页面") + "<DIV class=box>\r\n<UL class=songs>\r\n<SCRIPT>msl(");
    const std::string suffix = text::ToGbk("</SCRIPT>\r\n</UL>\r\n" +
                                          Pager(static_cast<int>(std::min<long long>(page, kBigListPages)),
                                                kBigListPages, href, true) +
                                          "</DIV>\r\n" + SitePageFoot());
    const std::string filler = name == "widepages"
                                   ? std::string(70, '\x80') + "\r\n"
                                   : "<!-- padding: the quick brown fox jumps over the lazy dog 0123456789 -->\r\n";
    StreamFilled(response, prefix, filler, suffix, total);
    return true;
}

// Declares more bytes than it sends, then closes the connection.
void CutOffPage(HttpResponse& response) {
    const std::string start = text::ToGbk(OpenScriptList());
    response.SetHeader("Content-Type", "text/html; charset=gb2312");
    response.streamLength = static_cast<std::int64_t>(start.size()) * 10;
    response.stream = [start](BodySink& sink) {
        sink.Write(start);
        return false;
    };
}

void StallPage(DemoState& state, const HttpRequest& request, HttpResponse& response) {
    int seconds = state.Options().stallSeconds;
    const long long asked = ParseDigits(request.QueryValue("seconds"));
    if (asked >= 0) seconds = static_cast<int>(std::min<long long>(asked, 60));
    if (!state.SleepUnlessStopping(std::chrono::seconds(seconds))) {
        response.dropConnection = true;
        return;
    }
    SendGbkPage(response, SitePageHead("等待") + "<P>终于好了。</P>\r\n" + SitePageFoot());
}

}  // namespace

bool HandleHostile(DemoState& state, const HttpRequest& request, HttpResponse& response) {
    const std::string& path = request.path;
    if (path.rfind("/hostile/", 0) != 0) return false;
    const std::string name = path.substr(9);
    if (name.rfind("song/", 0) == 0) return HandleHostileSong(state, request, response);
    if (name == "huge") {
        const long long size = ParseDigits(request.QueryValue("size"));
        HugePage(response, size >= 0 ? static_cast<std::uint64_t>(size) : state.Options().hugePageBytes);
    } else if (name == "repeated") {
        const long long size = ParseDigits(request.QueryValue("size"));
        RepeatedEntryPage(response, size >= 0 ? static_cast<std::uint64_t>(size) : state.Options().hugePageBytes);
    } else if (name == "separators" || name == "spaced-separators") {
        const long long count = ParseDigits(request.QueryValue("count"));
        SeparatorsPage(response, count >= 0 ? static_cast<std::uint64_t>(count) : 1000000, name != "separators");
    } else if (name.rfind("bigpages/", 0) == 0 || name.rfind("widepages/", 0) == 0) {
        const std::size_t slash = name.find('/');
        return BigListPage(state, name.substr(0, slash), std::string_view(name).substr(slash + 1), response);
    } else if (name == "truncated") {
        // The list's start marker without its end marker, in a complete reply.
        SendGbkPage(response, OpenScriptList());
    } else if (name == "cutoff") {
        CutOffPage(response);
    } else if (name == "binary") {
        response.SetHeader("Content-Type", "text/html; charset=gb2312");
        response.body = GeneratedBytes(77, 0, 64 * 1024);
    } else if (name == "nomarker") {
        SendGbkPage(response, SitePageHead("关于我们") + "<P>Tunewell是一个音乐分享网站。</P>\r\n" + SitePageFoot());
    } else if (name == "empty") {
        SendGbkPage(response, "");
    } else if (name == "error500") {
        SendGbkPage(response, "<HTML><BODY><H1>服务器错误</H1></BODY></HTML>\r\n", 500);
    } else if (name == "stall") {
        StallPage(state, request, response);
    } else if (name == "drop") {
        response.dropConnection = true;
    } else if (name == "redirect") {
        SendRedirect(response, MusicAddress("/music/chart/"));
    } else if (name == "redirect-loop") {
        SendRedirect(response, MusicAddress("/hostile/redirect-loop"));
    } else if (name == "redirect-away") {
        // To another site: the file host's copy of song 1004.
        SendRedirect(response, FindSong(kSongFileHost).address);
    } else {
        return false;
    }
    return true;
}

}  // namespace tunewell::demo
