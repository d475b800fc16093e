// SPDX-License-Identifier: GPL-3.0-or-later
// Requests of the program share one connection cache: a second request
// through the proxy takes the connection the first left, whatever the host;
// requests that must not share (a worker thread's) open their own; a
// request on the share with cookies off neither sends nor keeps cookies.
#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <string>
#include <thread>

#include "net/cookie_store.h"
#include "net/http_request.h"
#include "net/remote_bytes.h"
#include "net/stream_request.h"
#include "support/demo_site_fixture.h"
#include "support/site_urls.h"
#include "web/raw_http_server.h"

namespace tunewell::net {
namespace {

using testing::FileHostUrl;
using testing::MusicUrl;
using testing::VersionUrl;

HttpResponse Get(const std::string& url, bool cookies = true) {
    HttpRequest request;
    request.url = url;
    request.policy.sharedCookies = cookies;
    return Perform(request);
}

class ConnectionReuseTest : public testing::DemoSiteTest {
protected:
    void SetUp() override {
        DemoSiteTest::SetUp();
        CookieStore::Instance().Clear();
    }
    std::set<long> ConnectionsUsed() {
        std::set<long> used;
        for (const auto& request : Site().Requests()) used.insert(request.connection);
        return used;
    }
};

TEST_F(ConnectionReuseTest, RequestsToEveryServerShareOneConnectionThroughTheProxy) {
    const std::string urls[] = {
        MusicUrl("/music/chart/"),          MusicUrl("/play.php?song_id=1001,1002", "www."),
        FileHostUrl("/zh-cn/files/880011/"),  VersionUrl("/tunewell.asp"),
        MusicUrl("/audio/1001.mp3"), MusicUrl("/music/chart/"),
    };
    for (const std::string& url : urls) {
        const HttpResponse response = Get(url);
        EXPECT_TRUE(response.Ok()) << url;
        EXPECT_FALSE(response.body.empty()) << url;
    }
    HttpRequest post;
    post.url = MusicUrl("/info_oper.php?tag=signin");
    post.postBody = "name=x&pwd=y";
    EXPECT_TRUE(Perform(post).Ok());
    EXPECT_EQ(Site().Requests().size(), std::size(urls) + 1);
    EXPECT_EQ(Site().ConnectionsAccepted(), 1);
    EXPECT_EQ(ConnectionsUsed(), (std::set<long>{1}));
}

TEST_F(ConnectionReuseTest, AnErrorReplyOrACutBodyDoesNotSpoilTheNextRequest) {
    // A 404 body read whole leaves the connection fit for reuse; a body the
    // site cuts short ends its connection, and the next request still works.
    const struct {
        const char* label;
        std::string url;
        bool ok;
        long status;
    } steps[] = {
        {"missing page", MusicUrl("/no-such-page"), true, 404},
        {"after the 404", MusicUrl("/music/chart/"), true, 200},
        {"body cut short", MusicUrl("/hostile/cutoff"), false, 0},
        {"after the cut", MusicUrl("/music/chart/"), true, 200},
    };
    for (const auto& step : steps) {
        const HttpResponse response = Get(step.url);
        EXPECT_EQ(response.Ok(), step.ok) << step.label;
        if (step.ok) {
            EXPECT_EQ(response.status, step.status) << step.label;
        }
    }
    const auto requests = Site().Requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[1].connection, requests[0].connection);  // the 404 kept it
    EXPECT_NE(requests[3].connection, requests[2].connection);  // the cut one did not
}

TEST_F(ConnectionReuseTest, AWorkerThreadsRequestOpensItsOwnConnection) {
    ASSERT_TRUE(Get(MusicUrl("/music/chart/")).Ok());
    std::optional<std::string> picture;
    std::thread worker([&] { picture = FetchRemoteBytes(VersionUrl("/ad.gif")); });
    worker.join();
    ASSERT_TRUE(picture.has_value());
    ASSERT_TRUE(Get(MusicUrl("/music/chart/")).Ok());
    const auto requests = Site().Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_NE(requests[1].connection, requests[0].connection);
    EXPECT_EQ(requests[2].connection, requests[0].connection);  // the pooled one, still idle
}

TEST_F(ConnectionReuseTest, ARequestWithCookiesOffNeitherSendsNorKeepsThem) {
    ASSERT_TRUE(CookieStore::Instance().Store(MusicUrl("/"), "kept", "1"));
    ASSERT_TRUE(Get(MusicUrl("/music/chart/"), false).Ok());
    ASSERT_TRUE(Get(MusicUrl("/music/chart/"), true).Ok());
    const auto requests = Site().Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].Header("Cookie"), "");
    EXPECT_EQ(requests[1].Header("Cookie"), "kept=1");
    EXPECT_EQ(requests[1].connection, requests[0].connection);

    ::setenv("no_proxy", "127.0.0.1", 1);
    web::testing::RawHttpServer setter(
        "HTTP/1.1 200 OK\r\nSet-Cookie: probe=1; path=/\r\nContent-Length: 2\r\n\r\nok");
    EXPECT_TRUE(Get("http://127.0.0.1:" + std::to_string(setter.Port()) + "/", false).Ok());
    ::unsetenv("no_proxy");
    EXPECT_EQ(CookieStore::Instance().Dump().find("probe"), std::string::npos);
}

// A streamed request's overall limit counts its own waiting, not the time
// its wait steps take (a window's handlers, a dialog left open).
TEST_F(ConnectionReuseTest, AStreamsOverallLimitLeavesItsWaitStepsOut) {
    struct SlowSteps : StreamReceiver {
        void OnHeaderLine(std::string_view) override {}
        bool OnBody(const char*, std::size_t) override { return true; }
        bool OnWait() override {
            ++steps;
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
            return true;
        }
        int steps = 0;
    } receiver;
    RequestPolicy policy;
    policy.total = std::chrono::milliseconds(400);
    StreamRequest request(MusicUrl("/hostile/stall?seconds=3"), policy);
    EXPECT_EQ(request.Run(receiver), Failure::kTimeout);
    // 50 ms of waiting a round: the limit is reached after about eight
    // rounds, not after the three that 400 ms of wall time would allow.
    EXPECT_GE(receiver.steps, 6);
}

}  // namespace
}  // namespace tunewell::net
