// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <chrono>

#include "demo_site/demo_catalogue.h"
#include "demo_site/routes.h"
#include "hosts/site_hosts.h"
#include "text/charset.h"

namespace tunewell::demo {

std::string Crlf(std::initializer_list<std::string_view> lines) {
    std::string text;
    for (const auto line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

std::string SitePageHead(const std::string& title) {
    // Mixed-case tags as the site writes them; the menu holds the quick-link
    // pages and none of the markers that tell list pages apart.
    return Crlf({"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">",
                 "<HTML>",
                 "<HEAD>",
                 "<META http-equiv=Content-Type content=\"text/html; charset=gb2312\">",
                 "<TITLE>" + title + " - Tunewell音乐分享</TITLE>",
                 "<LINK href=\"/css/style.css\" type=text/css rel=stylesheet>",
                 "</HEAD>",
                 "<BODY>",
                 "<DIV id=header><A href=\"/\"><IMG src=\"/images/logo.gif\" alt=Tunewell></A>",
                 "<UL class=nav>",
                 "<LI><A href=\"/music/\">大家推荐</A></LI>",
                 "<LI><A href=\"/music/lsn\">大家在听</A></LI>",
                 "<LI><A href=\"/music/chart\">一周排行</A></LI>",
                 "<LI><A href=\"/music/catsong/cat15/\">音乐分类</A></LI>",
                 "<LI><A href=\"/home.php?tag=fav\">我的收藏夹</A></LI>",
                 "<LI><A href=\"/home.php?tag=box\">我的音乐盒</A></LI>",
                 "</UL></DIV>",
                 "<DIV id=main>"});
}

std::string SitePageFoot() {
    return Crlf({"</DIV>", "<DIV id=footer>Copyright &copy; 2008 " + std::string(hosts::kMusicHost) + " 版权所有</DIV>", "</BODY>", "</HTML>"});
}

void SendGbkPage(HttpResponse& response, const std::string& utf8Html, int status) {
    response.status = status;
    response.SetHeader("Content-Type", "text/html; charset=gb2312");
    response.body = text::ToGbk(utf8Html);
}

void SendUtf8Page(HttpResponse& response, const std::string& html, int status) {
    response.status = status;
    response.SetHeader("Content-Type", "text/html; charset=utf-8");
    response.body = html;
}

void SendPlain(HttpResponse& response, int status, const std::string& text) {
    response.status = status;
    response.SetHeader("Content-Type", "text/plain; charset=utf-8");
    response.body = text;
}

void SendRedirect(HttpResponse& response, const std::string& location) {
    response.status = 302;
    response.SetHeader("Location", location);
    response.SetHeader("Content-Type", "text/html; charset=gb2312");
    response.body = "<HTML><BODY><A href=\"" + location + "\">Moved</A></BODY></HTML>\r\n";
}

void StreamGenerated(DemoState& state, HttpResponse& response, std::uint64_t seed, std::uint64_t length,
                     bool declareLength, std::size_t chunk, int delayMs) {
    response.streamLength = declareLength ? static_cast<std::int64_t>(length) : -1;
    DemoState* site = &state;
    chunk = std::max<std::size_t>(chunk, 1);
    response.stream = [site, seed, length, chunk, delayMs](BodySink& sink) {
        std::uint64_t offset = 0;
        while (offset < length) {
            const auto take = static_cast<std::size_t>(std::min<std::uint64_t>(chunk, length - offset));
            if (!sink.Write(GeneratedBytes(seed, offset, take))) return false;
            offset += take;
            if (delayMs > 0 && offset < length &&
                !site->SleepUnlessStopping(std::chrono::milliseconds(delayMs))) {
                return false;
            }
        }
        return true;
    };
}

long long ParseDigits(std::string_view text) {
    if (text.empty() || text.size() > 18) return -1;
    long long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace tunewell::demo
