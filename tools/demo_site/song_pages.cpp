// SPDX-License-Identifier: GPL-3.0-or-later
#include <chrono>

#include "demo_site/demo_catalogue.h"
#include "demo_site/routes.h"

namespace tunewell::demo {
namespace {

// The ids of "song_id=1,2,3"; pieces that are not numbers are skipped.
std::vector<int> IdList(const std::string& text) {
    std::vector<int> ids;
    std::size_t start = 0;
    while (start <= text.size()) {
        auto end = text.find(',', start);
        if (end == std::string::npos) end = text.size();
        const long long id = ParseDigits(PercentDecode(text.substr(start, end - start), true));
        if (id > 0 && id <= 2147483647) ids.push_back(static_cast<int>(id));
        start = end + 1;
    }
    return ids;
}

std::string SongLine(const DemoSong& song, int index) {
    // WrtSongLine(id, title, performer, index, duration, address): quoted
    // arguments separated by a comma and a blank.
    const std::string q = "\", \"";
    return "WrtSongLine(\"" + std::to_string(song.id) + q + song.title + q + song.performer + q +
           std::to_string(index) + q + std::to_string(180 + song.id % 120) + q + song.address + "\");\r\n";
}

// The address as the program asked for it (through a proxy the request
// line carries it whole).
std::size_t AddressBytes(const HttpRequest& request) {
    if (request.target.rfind("http", 0) == 0) return request.target.size();
    return std::string("http://").size() + request.host.size() + request.target.size();
}

void PlayPage(DemoState& state, const HttpRequest& request, HttpResponse& response) {
    if (!state.SleepUnlessStopping(std::chrono::milliseconds(state.Options().playDelayMs))) {
        response.dropConnection = true;
        return;
    }
    const std::size_t limit = state.Options().maxPlayAddressBytes;
    if (limit > 0 && AddressBytes(request) > limit) {
        SendGbkPage(response, SitePageHead("414") + SitePageFoot(), 414);
        return;
    }
    std::string lines;
    int index = 0;
    for (const int id : IdList(request.QueryValue("song_id"))) lines += SongLine(FindSong(id), index++);
    const std::string html =
        SitePageHead("Tunewell播放器") +
        Crlf({"<DIV id=player>",
              "<OBJECT id=MediaPlayer classid=\"CLSID:6BF52A52-394A-11d3-B153-00C04F79FAA6\" width=300 height=64>",
              "<PARAM name=autoStart value=true></OBJECT>",
              "</DIV>",
              "<DIV class=playlist>",
              "<H3>歌曲列表</H3>",
              "<UL id=songs>",
              "<SCRIPT language=javascript>"}) +
        lines + Crlf({"</SCRIPT>", "</UL>", "</DIV>"}) + SitePageFoot();
    SendGbkPage(response, html, state.Options().playStatus);
}

void SongPage(HttpResponse& response, int id) {
    const DemoSong song = FindSong(id);
    const std::string idText = std::to_string(id);
    const std::string html =
        SitePageHead(song.title) +
        Crlf({"<DIV class=song>",
              "<DIV id=\"playicon\"><A href=\"/play.php?song_id=" + idText + "\" target=_blank onclick=\"listenlog(" +
                  idText + ",'song');\"><IMG src=\"/images/play.gif\" border=0></A></DIV>",
              "<P class=\"mid_tit\">" + song.title + "<P>",
              "<P class=singer>演唱：" + song.performer + "</P>",
              "<P class=info>分享时间：2008-10-01 试听次数：" + std::to_string(1000 + id % 9000) + "</P>",
              "</DIV>"}) +
        SitePageFoot();
    SendGbkPage(response, html);
}

}  // namespace

bool HandleSongPages(DemoState& state, const HttpRequest& request, HttpResponse& response) {
    const std::string& path = request.path;
    if (path == "/play.php") {
        PlayPage(state, request, response);
        return true;
    }
    if (path.rfind("/song/", 0) == 0) {
        std::string rest = path.substr(6);
        if (!rest.empty() && rest.back() == '/') rest.pop_back();
        const long long id = ParseDigits(rest);
        if (id <= 0 || id > 2147483647) return false;
        SongPage(response, static_cast<int>(id));
        return true;
    }
    return false;
}

}  // namespace tunewell::demo
