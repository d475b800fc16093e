// SPDX-License-Identifier: GPL-3.0-or-later
#include "demo_site/list_markup.h"

#include "demo_site/demo_catalogue.h"
#include "demo_site/routes.h"

namespace tunewell::demo {
namespace {

std::string Duration(int id) {
    const int seconds = 150 + (id * 37) % 150;
    std::string s = std::to_string(seconds % 60);
    return std::to_string(seconds / 60) + ":" + (s.size() < 2 ? "0" + s : s);
}

}  // namespace

std::vector<int> PageIds(int base, int page, int count) {
    std::vector<int> ids;
    for (int i = 1; i <= count; ++i) ids.push_back(base + (page - 1) * count + i);
    return ids;
}

std::string MslScript(const std::vector<int>& ids) {
    std::string text = "<SCRIPT>";
    for (const int id : ids) {
        const DemoSong song = FindSong(id);
        text += "msl(\"" + song.title + "\",\"" + std::to_string(id) + "\",\"" + song.performer + "\",\"" +
                Duration(id) + "\");\r\n";
    }
    return text + "</SCRIPT>\r\n";
}

std::string WlScript(const char* name, const std::vector<int>& ids, bool playCounts) {
    std::string text = "<SCRIPT>";
    int n = 0;
    for (const int id : ids) {
        ++n;
        const DemoSong song = FindSong(id);
        std::string extra = song.performer;
        if (n == 3) extra = "2008-10-01";
        if (n == 5) extra = "15";
        const char* separator = n == 2 ? "\", \"" : "\",\"";
        text += std::string(name) + "(\"" + std::to_string(n) + separator + std::to_string(id) + separator +
                song.title + separator + extra + (playCounts ? separator + std::to_string(100 + id % 900) : "") +
                "\");\r\n";
    }
    return text + "</SCRIPT>";
}

std::string SongTable(const std::vector<int>& ids) {
    std::string text = Crlf({"<TABLE class=songlist cellSpacing=0 cellPadding=0 width=\"100%\">",
                             "<COLGROUP><COL width=30><COL><COL width=150><COL width=90></COLGROUP>",
                             "<TR class=head><TD>选择</TD><TD>歌曲</TD><TD>演唱</TD><TD>加入时间</TD></TR>"});
    int n = 0;
    for (const int id : ids) {
        ++n;
        const DemoSong song = FindSong(id);
        const std::string idText = std::to_string(id);
        const std::string link = n == 3 ? "<A href=\"/song/" + idText + "/\">" + song.title + "</A>"
                                        : "<A href='/song/" + idText + "/'>" + song.title + "</A>";
        text += "<TR><TD class=chk><INPUT type=checkbox name=sid value=" + idText + "></TD><TD class=title>" +
                link + "</TD><TD>" + song.performer + "</TD><TD>2008-10-0" + std::to_string(1 + n % 9) +
                "</TD></TR>\r\n";
    }
    return text + "</TABLE>\r\n";
}

std::string Pager(int current, int pages, const std::function<std::string(int)>& href, bool raquo) {
    if (pages <= 1) return {};
    std::string text = "<DIV class=pages>";
    for (int n = 1; n <= pages; ++n) {
        const std::string number = std::to_string(n);
        text += n == current ? "<SPAN class=current>" + number + "</SPAN> "
                             : "<A href='" + href(n) + "'>" + number + "</A> ";
    }
    if (raquo) {
        if (current < pages) text += "<A href='" + href(current + 1) + "'>下一页</A> ";
        text += "<A href='" + href(pages) + "'>&raquo;</A>";
    }
    return text + "</DIV>\r\n";
}

}  // namespace tunewell::demo
