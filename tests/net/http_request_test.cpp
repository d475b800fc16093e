// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/http_request.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "hosts/site_hosts.h"
#include "net/json_rpc.h"
#include "net/wait_pump.h"
#include "support/demo_site_fixture.h"
#include "web/raw_http_server.h"

namespace tunewell::net {
namespace {

using web::testing::RawHttpServer;

std::string Local(const RawHttpServer& server, const std::string& path = "/x") {
    return "http://127.0.0.1:" + std::to_string(server.Port()) + path;
}

HttpResponse Get(const std::string& url, std::size_t maxBody = kPageBodyCap) {
    HttpRequest request;
    request.url = url;
    request.policy.sharedCookies = false;
    request.policy.maxBody = maxBody;
    return Perform(request);
}

class HttpRequestTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::unsetenv("http_proxy");
        ::setenv("no_proxy", "127.0.0.1", 1);
    }
};

TEST_F(HttpRequestTest, ResultsSayWhyARequestFailed) {
    RawHttpServer missing("HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\nConnection: close\r\n\r\ngone");
    RawHttpServer sized("HTTP/1.1 200 OK\r\nContent-Length: 20\r\nConnection: close\r\n\r\n01234567890123456789");
    RawHttpServer chunked(
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n14\r\n01234567890123456789\r\n0\r\n\r\n");

    const HttpResponse notFound = Get(Local(missing));
    EXPECT_EQ(notFound.failure, Failure::kNone);  // a reply: the caller judges its status
    EXPECT_EQ(notFound.status, 404);
    EXPECT_EQ(notFound.body, "gone");
    EXPECT_EQ(Get(Local(sized), 20).body, "01234567890123456789");

    const struct {
        const char* label;
        std::string url;
        std::size_t maxBody;
        Failure failure;
    } cases[] = {
        {"announced length over the cap", Local(sized), 19, Failure::kSizeCap},
        {"streamed body over the cap", Local(chunked), 19, Failure::kSizeCap},
        {"no scheme", Local(sized).substr(7), kPageBodyCap, Failure::kRefusedAddress},
        {"another scheme", "file:///etc/hostname", kPageBodyCap, Failure::kRefusedAddress},
        {"nobody listening", "http://127.0.0.1:1/x", kPageBodyCap, Failure::kTransport},
    };
    for (const auto& c : cases) {
        const HttpResponse response = Get(c.url, c.maxBody);
        EXPECT_EQ(response.failure, c.failure) << c.label;
        EXPECT_TRUE(response.body.empty()) << c.label;
    }
}

TEST_F(HttpRequestTest, JsonRpcGoesDirectlyWhateverTheProxy) {
    RawHttpServer agent("HTTP/1.1 200 OK\r\nContent-Length: 12\r\nConnection: close\r\n\r\n{\"result\":1}");
    ::setenv("http_proxy", "http://127.0.0.1:1", 1);
    ::unsetenv("no_proxy");
    const auto reply = CallJsonRpc(Local(agent, "/jsonrpc"), "{}", std::chrono::seconds(5));
    ::unsetenv("http_proxy");
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->status, 200);
    EXPECT_EQ(reply->body, "{\"result\":1}");
    const auto requests = agent.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].rfind("POST /jsonrpc ", 0), 0u) << requests[0];
    EXPECT_NE(requests[0].find("Content-Type: application/json"), std::string::npos);
}

// The overall limit counts the time the request waits, not the time its
// wait step spends elsewhere (another request, a dialog the user keeps
// open): a reply that comes after 1 s passes a 0.8 s limit when the step
// takes most of that second, and fails it when nothing else runs.
TEST_F(HttpRequestTest, TheOverallLimitLeavesOutTheWaitStep) {
    testing::ScopedDemoSite site;
    ASSERT_TRUE(site.Running());
    const auto stalled = [](int seconds) {
        HttpRequest request;
        request.url = "http://" + std::string(hosts::kMusicHost) + "/hostile/stall?seconds=" + std::to_string(seconds);
        request.policy.sharedCookies = false;
        request.policy.total = std::chrono::milliseconds(800);
        request.pump = WaitKind::kPage;
        return Perform(request);
    };
    int steps = 0;
    SetWaitPump([&](WaitKind) {
        ++steps;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    });
    const HttpResponse busyStep = stalled(1);
    SetWaitPump(nullptr);
    EXPECT_EQ(busyStep.failure, Failure::kNone);
    EXPECT_EQ(busyStep.status, 200);
    EXPECT_GE(steps, 3);
    EXPECT_EQ(stalled(2).failure, Failure::kTimeout);
}

}  // namespace
}  // namespace tunewell::net
