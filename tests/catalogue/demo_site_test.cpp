// SPDX-License-Identifier: GPL-3.0-or-later
// The demo site that stands in for the music site, the file host and the
// version server: routing through the proxy, page mark-up the parsers rely
// on, sign-in, generated files and prompt shutdown.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "net/http_request.h"
#include "support/demo_site_fixture.h"
#include "support/site_urls.h"
#include "text/charset.h"

namespace tunewell::testing {
namespace {

struct Reply {
    long status = 0;
    std::string headers;
    std::string body;
    net::Failure failure = net::Failure::kNone;
};

// A plain request with no redirects, no shared cookies and no body cap;
// the proxy comes from http_proxy.
Reply Fetch(const std::string& url, const std::string& post = {}, const std::string& cookie = {},
            std::vector<std::string> headers = {}) {
    net::HttpRequest request;
    request.url = url;
    request.headers = std::move(headers);
    if (!post.empty()) request.postBody = post;
    if (!cookie.empty()) request.headers.push_back("Cookie: " + cookie);
    request.policy.sharedCookies = false;
    request.policy.followRedirects = false;
    request.policy.total = std::chrono::seconds(30);
    request.policy.maxBody = 0;
    request.keepHeaders = true;
    net::HttpResponse response = net::Perform(request);
    return Reply{response.status, std::move(response.headers), std::move(response.body), response.failure};
}

std::string Between(const std::string& text, const std::string& start, const std::string& end) {
    const auto from = text.find(start);
    if (from == std::string::npos) return {};
    const auto to = text.find(end, from + start.size());
    return to == std::string::npos ? std::string() : text.substr(from + start.size(), to - from - start.size());
}

// Sends the parts to the site, reading once after each part but the last,
// and returns everything it answered.
std::string RawExchange(int port, const std::vector<std::string>& parts) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string reply;
    char buffer[4096];
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        for (std::size_t i = 0; i < parts.size(); ++i) {
            ::send(fd, parts[i].data(), parts[i].size(), MSG_NOSIGNAL);
            if (i + 1 < parts.size()) {
                const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
                if (got > 0) reply.append(buffer, static_cast<std::size_t>(got));
            }
        }
        for (ssize_t got; (got = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) reply.append(buffer, got);
    }
    ::close(fd);
    return reply;
}

using DemoSiteServer = DemoSiteTest;

TEST_F(DemoSiteServer, HttpLayerHandlesOriginFormHeadAndBadRequests) {
    const int port = Site().Port();
    // Without a proxy the Host header names the site. (Each exchange reads
    // to the end of the connection, which the site keeps open otherwise.)
    const std::string direct =
        RawExchange(port, {"GET /tunewell.asp?SN=1 HTTP/1.1\r\nHost: " + std::string(hosts::kVersionServerHost) +
                                ":80\r\nConnection: close\r\n\r\n"});
    EXPECT_EQ(direct.rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
    EXPECT_NE(direct.find("{TunewellVerSion}2.5"), std::string::npos);

    const std::string head = RawExchange(port, {"HEAD " + MusicUrl("/audio/1001.mp3") + " HTTP/1.1\r\nConnection: close\r\n\r\n"});
    EXPECT_NE(head.find("Content-Length: 204800\r\n"), std::string::npos);
    EXPECT_EQ(head.substr(head.size() - 4), "\r\n\r\n");  // headers only

    EXPECT_EQ(RawExchange(port, {"NONSENSE\r\n\r\n"}).rfind("HTTP/1.1 400 ", 0), 0u);
    EXPECT_EQ(RawExchange(port, {"GET / HTTP/1.1\r\nContent-Length: x\r\n\r\n"}).rfind("HTTP/1.1 400 ", 0), 0u);

    // A client that waits for "100 Continue" before sending its body.
    const std::string posted = RawExchange(
        port, {"POST " + MusicUrl("/info_oper.php?tag=signin") +
                   " HTTP/1.1\r\nExpect: 100-continue\r\nContent-Length: 9\r\nConnection: close\r\n\r\n",
               "name=demo"});
    EXPECT_EQ(posted.rfind("HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK", 0), 0u);
    const auto requests = Site().Requests();
    ASSERT_EQ(requests.size(), 3u);  // the two malformed requests never reach the site
    EXPECT_EQ(requests[0].host, hosts::kVersionServerHost);
    EXPECT_EQ(requests[2].body, "name=demo");
}

TEST_F(DemoSiteServer, RoutesEveryHostThroughTheProxy) {
    struct Case {
        std::string url;
        long status;
        std::string marker;  // in the UTF-8 text of the reply
    };
    const Case cases[] = {
        {MusicUrl("/music/chart"), 200, "<SCRIPT>msl(\"月光小夜曲3001\",\"3001\""},
        {MusicUrl("/music/lsn"), 200, "</COLGROUP> <SCRIPT>wl(\"1\",\"5001\""},
        {MusicUrl("/music/catsong/cat15/"), 200, "音乐分类：流行金曲"},
        {MusicUrl("/group/190/fav"), 200, "<H1 class=\"h1user\">小组</H1>"},
        {MusicUrl("/user/27677/"), 200, "<SCRIPT>ws(\"1\",\"8001\""},
        {MusicUrl("/tag/%BF%A8%C5%A9"), 200, "下面这些歌曲被标注为“卡农”"},
        {MusicUrl("/song/71799/"), 200, "<P class=\"mid_tit\">卡农 (D大调)<P>"},
        {MusicUrl("/play.php?song_id=1001", "www."), 200,
         "<UL id=songs>\r\n<SCRIPT language=javascript>\r\nWrtSongLine(\"1001\", \"山间小路\", \"林小溪\""},
        {MusicUrl("/home.php?tag=fav"), 200, "<H2>登录到Tunewell</H2>"},
        {VersionUrl("/tunewell.asp?SN=X1&Rand=12345"), 200, "{TunewellVerSion}2.5{/TunewellVerSion}"},
        {FileHostUrl("/zh-cn/files/880011/"), 200, "<dt class=\"btn_22\"><a href=\"" + FileHostUrl("/")},
        {MusicUrl("/no/such/page"), 404, ""},
        {"http://elsewhere.example/", 502, ""},
    };
    for (const Case& c : cases) {
        const Reply reply = Fetch(c.url);
        EXPECT_EQ(reply.status, c.status) << c.url;
        const bool utf8 = c.url.find(hosts::kFileHostDomain) != std::string::npos;
        const std::string text = utf8 ? reply.body : text::FromGbk(reply.body);
        EXPECT_NE(text.find(c.marker), std::string::npos) << c.url;
    }
    const auto versionRequests = Site().RequestsFor(hosts::kVersionServerHost);
    ASSERT_EQ(versionRequests.size(), 1u);
    EXPECT_EQ(versionRequests[0].target, "/tunewell.asp?SN=X1&Rand=12345");
}

TEST_F(DemoSiteServer, PagedListsAnswerEveryAddressFormOfAPage) {
    const std::string page2 = Fetch(MusicUrl("/music/chart/2")).body;
    EXPECT_NE(page2.find("\"3011\""), std::string::npos);
    EXPECT_EQ(Fetch(MusicUrl("/music/chart2")).body, page2);
    // The pager's » link leads to the last page, whose number is the count.
    EXPECT_NE(Fetch(MusicUrl("/music/chart")).body.find("<A href='/music/chart/5'>&raquo;</A></DIV>"),
              std::string::npos);
    Options().chartPages = 2;
    EXPECT_EQ(Fetch(MusicUrl("/music/chart/3")).body.find("msl(\""), std::string::npos);
}

TEST_F(DemoSiteServer, LargeHostilePagesHaveTheirShape) {
    // One entry goes on with exactly the separators asked for.
    for (const std::string separator : {"\",\"", "\", \""}) {
        const std::string name = separator == "\",\"" ? "separators" : "spaced-separators";
        const std::string page = text::FromGbk(Fetch(MusicUrl("/hostile/" + name + "?count=1000")).body);
        const std::string tail = Between(page, "msl(\"长歌\",\"4001", "\");");
        ASSERT_EQ(tail.size(), 1000 * separator.size()) << name;
        EXPECT_EQ(tail.find_first_not_of(separator), std::string::npos) << name;
    }
    // Every page of the list is as large as asked, one filler entry and a
    // pager whose » link names the last page; the wide one is GBK's "€".
    for (const std::string name : {"bigpages", "widepages"}) {
        const Reply page = Fetch(MusicUrl("/hostile/" + name + "/1mb/7"));
        EXPECT_EQ(page.body.size(), 1u << 20) << name;
        EXPECT_NE(page.headers.find("Content-Length: 1048576"), std::string::npos) << name;
        const std::string entry = Between(page.body, "<SCRIPT>msl(", "</SCRIPT>");
        EXPECT_GT(entry.size(), 1000000u) << name;
        EXPECT_EQ(entry.find("\",\""), std::string::npos) << name;
        EXPECT_NE(page.body.find("<A href='/hostile/" + name + "/1mb/100'>&raquo;</A>"), std::string::npos);
    }
    std::string euros;
    for (int i = 0; i < 70; ++i) euros += "€";
    EXPECT_EQ(text::FromGbk(Between(Fetch(MusicUrl("/hostile/widepages/1mb/")).body, "msl(", "\r\n")), euros);
}

TEST_F(DemoSiteServer, GeneratedFilesMatchTheirPublishedContent) {
    EXPECT_EQ(Fetch(MusicUrl("/audio/1001.mp3")).body, demo::AudioContent(demo::kSongPlain));
    const Reply chunked = Fetch(MusicUrl("/audio/chunked/1005.mp3"));
    EXPECT_NE(chunked.headers.find("Transfer-Encoding: chunked"), std::string::npos);
    EXPECT_EQ(chunked.headers.find("Content-Length"), std::string::npos);
    EXPECT_EQ(chunked.body, demo::AudioContent(demo::kSongChunked));
    EXPECT_EQ(Fetch(MusicUrl("/stream?id=9", "cdn.")).body, demo::AudioContent(demo::kSongHostDotOnly));
    EXPECT_EQ(Fetch(MusicUrl("/audio/big?size=300001")).body, demo::GeneratedBytes(0, 0, 300001));
    EXPECT_EQ(Fetch(MusicUrl("/audio/missing/1009.mp3")).status, 404);
    // Songs carry an entity tag and continue from a byte: what resuming needs.
    const std::string song = MusicUrl("/audio/1001.mp3");
    const std::string etag = Between(Fetch(song).headers, "ETag: ", "\r\n");
    ASSERT_FALSE(etag.empty());
    const std::string full = demo::AudioContent(demo::kSongPlain);
    const Reply rest = Fetch(song, {}, {}, {"Range: bytes=1000-", "If-Range: " + etag});
    EXPECT_EQ(rest.status, 206);
    EXPECT_NE(rest.headers.find("Content-Range: bytes 1000-" + std::to_string(full.size() - 1) + "/" +
                                std::to_string(full.size())),
              std::string::npos);
    EXPECT_EQ(rest.body, full.substr(1000));
    const Reply changed = Fetch(song, {}, {}, {"Range: bytes=1000-", "If-Range: \"other\""});
    EXPECT_EQ(changed.status, 200);
    EXPECT_EQ(changed.body, full);
    // Streams are cut into pieces at arbitrary offsets: any piece must
    // equal the same stretch of the whole.
    const std::string whole = demo::GeneratedBytes(42, 0, 64);
    for (std::size_t offset : {0u, 3u, 8u, 13u}) {
        EXPECT_EQ(demo::GeneratedBytes(42, offset, 30), whole.substr(offset, 30)) << offset;
    }
}

TEST_F(DemoSiteServer, SignInChecksFormValuesAndCredentials) {
    const std::string form = Fetch(MusicUrl("/signin.php")).body;
    const std::string passcode = Between(form, "color:#666' value='", "'>");
    const std::string mpc = Between(form, "name=mpc value=", ">");
    ASSERT_FALSE(passcode.empty());
    ASSERT_FALSE(mpc.empty());
    const std::string target = MusicUrl("/info_oper.php?tag=signin&pageref=%2Fhome.php%3Ftag%3Dfav");
    const std::string tail = "&passcode=" + passcode + "&mpc=" + mpc + "&B12=Login";
    const std::string referer = MusicUrl("/index.php");
    const std::string good = "name=%D5%C5%C8%FD&pwd=a%26b%2Bc" + tail;

    // Only what the site's own form sends: its exact target and referer.
    const std::string otherTarget = MusicUrl("/info_oper.php?tag=signin&pageref=%2F");
    for (const Reply& refused : {Fetch(target, good), Fetch(target, good, {}, {"Referer: " + MusicUrl("/signin.php")}),
                                 Fetch(otherTarget, good, {}, {"Referer: " + referer})}) {
        EXPECT_NE(text::FromGbk(refused.body).find("<span class='red'>请求无效"), std::string::npos);
        EXPECT_EQ(refused.headers.find("Set-Cookie"), std::string::npos);
    }
    Site().ClearRequests();

    const Reply wrong = Fetch(target, "name=%D5%C5%C8%FD&pwd=a%26b" + tail, {}, {"Referer: " + referer});
    EXPECT_NE(text::FromGbk(wrong.body).find("<span class='red'>用户名或密码错误</span><br />"), std::string::npos);
    const Reply forged = Fetch(target, "name=demo&pwd=demo&passcode=x&mpc=" + mpc + "&B12=Login", {}, {"Referer: " + referer});
    EXPECT_NE(forged.body.find("<span class='red'>"), std::string::npos);

    // 张三 in GBK, and a password with & and + escaped.
    const Reply right = Fetch(target, good, {}, {"Referer: " + referer});
    EXPECT_EQ(right.body.find("<span class='red'>"), std::string::npos);
    const std::string session = Between(right.headers, "Set-Cookie: ", ";");
    ASSERT_FALSE(session.empty());
    EXPECT_NE(right.headers.find("domain=" + std::string(hosts::kMusicHost) + "; path=/"), std::string::npos);

    const std::string box = text::FromGbk(Fetch(MusicUrl("/home.php?tag=box"), {}, session).body);
    EXPECT_NE(box.find("您音乐盒中的歌曲"), std::string::npos);
    Site().SignOutAll();
    EXPECT_NE(text::FromGbk(Fetch(MusicUrl("/home.php?tag=box"), {}, session).body).find("登录到Tunewell"),
              std::string::npos);

    const auto posts = Site().RequestsFor(hosts::kMusicHost);
    ASSERT_FALSE(posts.empty());
    EXPECT_EQ(posts[2].method, "POST");
    EXPECT_EQ(posts[2].body, good);
}

TEST_F(DemoSiteServer, FileHostWantsTheKeyItsLinkPageSets) {
    const std::string address = demo::FindSong(demo::kSongFileHost).address;
    EXPECT_EQ(Fetch(address).status, 403);
    const std::string page = Fetch(FileHostUrl("/zh-cn/files/880011/")).body;
    const std::string link = Between(page, "<dt class=\"btn_22\"><a href=\"", "\"");
    const std::string call = Between(Fetch(link).body, "setCookie(", ");");
    EXPECT_EQ(call, "'ROXCDNKEY', '" + demo::FileHostKey("880011") + "', 1");
    EXPECT_EQ(Fetch(address, {}, "ROXCDNKEY=wrong").status, 403);
    const Reply file = Fetch(address, {}, "ROXCDNKEY=" + demo::FileHostKey("880011"));
    EXPECT_EQ(file.status, 200);
    EXPECT_EQ(file.body, demo::AudioContent(demo::kSongFileHost));
}

TEST_F(DemoSiteServer, VersionReplyFollowsTheOptions) {
    Options().latestVersion = "2.6.9";
    Options().servedVersion = "2.5";
    Options().sendAd = false;
    EXPECT_EQ(Fetch(VersionUrl("/tunewell.asp?SN=&Rand=10000")).body,
              "{TunewellVerSion}2.6.9{/TunewellVerSion}\r\n");
    Options().programBytes = "MZ new program";
    EXPECT_EQ(Fetch(VersionUrl("/upload/tunewell.exe")).body, "MZ new program");
    EXPECT_EQ(Fetch(VersionUrl("/Upload/Tunewell.exe")).body, "MZ new program");
    EXPECT_EQ(Fetch(VersionUrl("/Upload/Tunewell2.exe")).body, demo::DefaultProgramBytes(2));
    // A paced program still arrives whole, its last piece short.
    Options().programPaceMs = 1;
    Options().programBytes = std::string(3 * 64 * 1024 + 5, 'p');
    EXPECT_EQ(Fetch(VersionUrl("/upload/tunewell.exe")).body, Options().programBytes);
    Options().programPaceMs = 0;
    // Once a program has been served, the reply offers the served version.
    Options().programBytes.clear();
    EXPECT_EQ(Fetch(VersionUrl("/upload/tunewell.exe")).body.substr(0, 4), "\x7f" "ELF");  // the stand-in program
    EXPECT_EQ(Fetch(VersionUrl("/upload/tunewell.exe.sig")).body.substr(0, 14), "version=2.6.9\n");
    Options().signingKeyPem.clear();
    EXPECT_EQ(Fetch(VersionUrl("/upload/tunewell.exe.sig")).status, 404);  // no signing key
    EXPECT_EQ(Fetch(VersionUrl("/tunewell.asp?SN=&Rand=10000")).body, "{TunewellVerSion}2.5{/TunewellVerSion}\r\n");
    Options().programStatus = 404;
    EXPECT_EQ(Fetch(VersionUrl("/upload/tunewell.exe")).status, 404);
    const std::string gif = Fetch(VersionUrl("/ad.gif")).body;
    EXPECT_EQ(gif.substr(0, 6), "GIF89a");
    EXPECT_EQ(gif.back(), ';');
}

TEST(DemoSiteShutdown, StopEndsStalledAndTricklingRepliesPromptly) {
    auto demo = std::make_unique<ScopedDemoSite>();
    ASSERT_TRUE(demo->Running());
    demo->Site().Options().slowChunkDelayMs = 500;
    auto stalled = std::async(std::launch::async, [] { return Fetch(MusicUrl("/hostile/stall")); });
    auto slow = std::async(std::launch::async, [] { return Fetch(MusicUrl("/audio/slow/1007.mp3")); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto start = std::chrono::steady_clock::now();
    demo.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));  // not the 10 s stall
    EXPECT_NE(stalled.get().status, 200);
    EXPECT_NE(slow.get().failure, net::Failure::kNone);
}

}  // namespace
}  // namespace tunewell::testing
