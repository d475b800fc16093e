// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/http_client.h"

// The packaged library's build flags come through pkg-config.
#include <httplib.h>

#include <gtest/gtest.h>

#include "base/program_version.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "raw_http_server.h"
#include "hosts/site_hosts.h"
#include "net/cookie_store.h"
#include "net/request_policy.h"
#include "net/wait_pump.h"

namespace tunewell::web {
namespace {

using namespace std::chrono_literals;

const std::string kGbkPage = "<p>\xD6\xD0\xCE\xC4</p>";  // <p>中文</p> in GBK

// A cpp-httplib server on 127.0.0.1 and a random port, with the routes the
// client tests need; requests are counted so refusals can be proven.
class HttpClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::unsetenv("http_proxy");
        ::setenv("no_proxy", "127.0.0.1", 1);
        net::CookieStore::Instance().Clear();
        limits_ = GetHttpLimits();
        AddRoutes();
        // One request per connection: a connection kept open would hold the
        // server's stop() for its whole keep-alive time (5 s) in every test.
        // Nothing here is about reusing connections.
        server_.set_keep_alive_max_count(1);
        port_ = server_.bind_to_any_port("127.0.0.1");
        ASSERT_GT(port_, 0);
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        for (int i = 0; i < 200 && !server_.is_running(); ++i) std::this_thread::sleep_for(5ms);
        ASSERT_TRUE(server_.is_running());
    }

    void TearDown() override {
        SetHttpLimits(limits_);
        ending_ = true;
        server_.stop();
        thread_.join();
        net::CookieStore::Instance().Clear();
    }

    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }

    void AddRoutes() {
        server_.Get("/page", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(kGbkPage, "text/html");
        });
        server_.Get("/missing", [](const httplib::Request&, httplib::Response& res) {
            res.status = 404;
            res.set_content("not here", "text/html");
        });
        server_.Post("/missing", [](const httplib::Request&, httplib::Response& res) {
            res.status = 404;
            res.set_content("not here", "text/html");
        });
        server_.Get("/empty", [](const httplib::Request&, httplib::Response& res) {
            res.status = 204;
        });
        server_.Get("/old", [](const httplib::Request&, httplib::Response& res) {
            res.set_redirect("/page");
        });
        server_.Get("/headers", [](const httplib::Request& req, httplib::Response& res) {
            std::string seen = "referer=" + req.get_header_value("Referer") +
                               ";has-referer=" + (req.has_header("Referer") ? "1" : "0");
            res.set_content(seen, "text/plain");
        });
        server_.Get("/login", [](const httplib::Request&, httplib::Response& res) {
            res.set_header("Set-Cookie", "sid=abc123; path=/");
            res.set_content("ok", "text/plain");
        });
        server_.Post("/login", [](const httplib::Request&, httplib::Response& res) {
            res.set_header("Set-Cookie", "sid=posted; path=/");
            res.set_content("ok", "text/plain");
        });
        server_.Get("/whoami", [](const httplib::Request& req, httplib::Response& res) {
            res.set_content("cookie=" + req.get_header_value("Cookie"), "text/plain");
        });
        // Late by 3 s, or until the test ends: a request given up on must not
        // keep the server's stop() waiting for the rest of it.
        const auto slow = [this](const httplib::Request&, httplib::Response& res) {
            const auto due = std::chrono::steady_clock::now() + 3s;
            while (!ending_.load() && std::chrono::steady_clock::now() < due) {
                std::this_thread::sleep_for(5ms);
            }
            res.set_content("late", "text/plain");
        };
        server_.Get("/slow", slow);
        server_.Post("/slow", slow);
        // Answers only once the client's wait pump has run often enough:
        // a client that pumps only when bytes arrive never gets the reply.
        const auto held = [this](const httplib::Request&, httplib::Response& res) {
            for (int i = 0; i < 1000 && pumped_.load() < 20 && !ending_.load(); ++i) {
                std::this_thread::sleep_for(5ms);
            }
            if (pumped_.load() >= 20) {
                res.set_content("held", "text/plain");
            } else {
                res.status = 503;
                res.set_content("never pumped", "text/plain");
            }
        };
        server_.Get("/held", held);
        server_.Post("/held", held);
        // One byte every 100 ms: alive by the old "any byte" rule, stalled by
        // the "at least 1 KiB per stall window" one.
        server_.Get("/drip", [](const httplib::Request&, httplib::Response& res) {
            res.set_chunked_content_provider("text/plain", [](std::size_t offset, httplib::DataSink& sink) {
                if (offset >= 100) {
                    sink.done();
                    return true;
                }
                std::this_thread::sleep_for(100ms);
                return sink.write("x", 1);
            });
        });
        // Bodies one byte over the page cap, with and without a length.
        const auto overCap = [](std::size_t offset, httplib::DataSink& sink) {
            static const std::string block(1 << 20, 'x');
            const std::size_t left = net::kPageBodyCap + 1 - offset;
            if (left == 0) {
                sink.done();
                return true;
            }
            return sink.write(block.data(), std::min(left, block.size()));
        };
        server_.Get("/huge", [overCap](const httplib::Request&, httplib::Response& res) {
            res.set_content_provider(net::kPageBodyCap + 1, "text/plain",
                                     [overCap](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                         return overCap(offset, sink);
                                     });
        });
        server_.Get("/huge-chunked", [overCap](const httplib::Request&, httplib::Response& res) {
            res.set_chunked_content_provider("text/plain", overCap);
        });
        // A form whose answer is a redirect: 302 and 303 lead to a GET, 307
        // to the same form again, as browsers do.
        server_.Post("/form", [](const httplib::Request& req, httplib::Response& res) {
            res.status = std::stoi(req.get_param_value("status"));
            res.set_header("Location", "/method");
        });
        server_.Get("/method", [](const httplib::Request& req, httplib::Response& res) {
            res.set_content(std::string("GET length=") + (req.has_header("Content-Length") ? "1" : "0"),
                            "text/plain");
        });
        server_.Post("/method", [](const httplib::Request& req, httplib::Response& res) {
            res.set_content("POST " + req.body, "text/plain");
        });
        // A form redirected to the server the test names in away_.
        server_.Post("/away", [this](const httplib::Request& req, httplib::Response& res) {
            res.status = std::stoi(req.get_param_value("status"));
            res.set_header("Location", away_);
        });
        server_.set_logger([this](const httplib::Request&, const httplib::Response&) { ++hits_; });
    }

    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
    std::atomic<int> hits_{0};
    std::atomic<int> pumped_{0};
    std::atomic<bool> ending_{false};
    HttpLimits limits_;
    std::string away_;
};

TEST_F(HttpClientTest, GetDecodesTheBodyInTheNamedCharset) {
    EXPECT_EQ(GetHttpPage(Url("/page"), "gb2312"), "<p>中文</p>");
    EXPECT_EQ(GetHttpPage(Url("/page"), "no-such-charset"), "");
}

TEST_F(HttpClientTest, GetRefusesShortAddressesAndTheSentinelWithoutARequest) {
    // Addresses of an exact length that reach the test server as a proxy.
    const std::string proxy = "http://127.0.0.1:" + std::to_string(port_);
    ::setenv("http_proxy", proxy.c_str(), 1);
    ::unsetenv("no_proxy");
    const std::string seventeen = "http://a.example/";
    const std::string eighteen = "http://a.example/x";
    // Seventeen characters though eighteen bytes: the limit counts characters.
    const std::string seventeenChars = "http://a.exampl\xc3\xa9";

    EXPECT_EQ(GetHttpPage(seventeen, "gb2312"), kFalse);
    EXPECT_EQ(GetHttpPage(seventeenChars, "gb2312"), kFalse);
    EXPECT_EQ(GetHttpPage(kFalse, "gb2312"), kFalse);
    EXPECT_EQ(GetHttpPage("", "gb2312"), kFalse);
    // Long enough but without a scheme: libcurl would guess one; refused.
    EXPECT_EQ(GetHttpPage(std::string(hosts::kMusicHost) + "/xxxxxxxxxxxxx", "gb2312"), kFalse);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(hits_.load(), 0);

    EXPECT_EQ(GetHttpPage(eighteen, "gb2312"), kFalse);  // reaches the server: a 404
    for (int i = 0; i < 100 && hits_.load() == 0; ++i) std::this_thread::sleep_for(5ms);
    ::unsetenv("http_proxy");
    ::setenv("no_proxy", "127.0.0.1", 1);
    EXPECT_EQ(hits_.load(), 1);
}

TEST_F(HttpClientTest, GetFailsOnAnyStatusButOk) {
    EXPECT_EQ(GetHttpPage(Url("/missing"), "gb2312"), kFalse);
    EXPECT_EQ(GetHttpPage(Url("/empty"), "gb2312"), kFalse);
}

TEST_F(HttpClientTest, PostReturnsTheReplyWhateverItsStatus) {
    EXPECT_EQ(PostHttpPage(Url("/"), Url("/missing"), "a=1", "gb2312"), "not here");
}

TEST_F(HttpClientTest, GetFollowsRedirects) {
    EXPECT_EQ(GetHttpPage(Url("/old"), "gb2312"), "<p>中文</p>");
}

TEST_F(HttpClientTest, GetSendsNoReferer) {
    EXPECT_EQ(GetHttpPage(Url("/headers"), "http://elsewhere.example/", "gb2312"),
              "referer=;has-referer=0");
}

TEST_F(HttpClientTest, CookiesSetByOneReplyGoWithTheNextRequest) {
    ASSERT_EQ(GetHttpPage(Url("/login"), "gb2312"), "ok");
    EXPECT_EQ(GetHttpPage(Url("/whoami"), "gb2312"), "cookie=sid=abc123");
    ASSERT_EQ(PostHttpPage(Url("/"), Url("/login"), "", "gb2312"), "ok");
    EXPECT_EQ(GetHttpPage(Url("/whoami"), "gb2312"), "cookie=sid=posted");
}

TEST_F(HttpClientTest, StoredCookieGoesWithTheNextRequest) {
    ASSERT_TRUE(net::CookieStore::Instance().Store(Url("/"), "ROXCDNKEY", "k1;expires=Fri, 01 Jan 2038 00:00:00 GMT"));
    EXPECT_EQ(GetHttpPage(Url("/whoami"), "gb2312"), "cookie=ROXCDNKEY=k1");
}

TEST_F(HttpClientTest, StalledServerEndsInFailureWithinTheLimit) {
    // Without the limit both would wait for the late reply and succeed.
    SetHttpLimits({1, 1});
    EXPECT_EQ(GetHttpPage(Url("/slow"), "gb2312"), kFalse);
    EXPECT_EQ(PostHttpPage(Url("/"), Url("/slow"), "", "gb2312"), kFalse);
}

TEST_F(HttpClientTest, PageWaitsRunTheWaitPumpWhileNoBytesArrive) {
    net::SetWaitPump([this](net::WaitKind kind) {
        if (kind == net::WaitKind::kPage) ++pumped_;
    });
    EXPECT_EQ(GetHttpPage(Url("/held"), "gb2312"), "held");
    pumped_ = 0;
    EXPECT_EQ(PostHttpPage(Url("/"), Url("/held"), "a=1", "gb2312"), "held");
    net::SetWaitPump({});
}

// A program that is ending stops the page request under way and every
// later one at their first wait step: the caller sees its usual failure.
TEST_F(HttpClientTest, StoppedPageWaitsFailAtOnce) {
    net::SetWaitPump([](net::WaitKind) { net::StopPageWaits(); });
    EXPECT_EQ(GetHttpPage(Url("/held"), "gb2312"), kFalse);
    net::SetWaitPump({});
    EXPECT_EQ(PostHttpPage(Url("/"), Url("/held"), "a=1", "gb2312"), kFalse);
    net::AllowPageWaits();
    net::SetWaitPump([this](net::WaitKind) { ++pumped_; });
    EXPECT_EQ(GetHttpPage(Url("/held"), "gb2312"), "held");
    net::SetWaitPump({});
}

TEST_F(HttpClientTest, SlowDripsAndBodiesOverTheCapFail) {
    SetHttpLimits({2, 1, 1024});
    EXPECT_EQ(GetHttpPage(Url("/drip"), "gb2312"), kFalse);
    SetHttpLimits(limits_);
    EXPECT_EQ(GetHttpPage(Url("/huge"), "gb2312"), kFalse);
    EXPECT_EQ(GetHttpPage(Url("/huge-chunked"), "gb2312"), kFalse);
}

TEST_F(HttpClientTest, PostFollowsRedirectsAsABrowserDoes) {
    const struct {
        const char* status;
        const char* reply;
    } cases[] = {{"302", "GET length=0"}, {"303", "GET length=0"}, {"307", "POST status=307"}};
    for (const auto& c : cases) {
        EXPECT_EQ(PostHttpPage(Url("/"), Url("/form"), std::string("status=") + c.status, "gb2312"),
                  c.reply)
            << c.status;
    }
}

// A drip fast enough for the stall rule still ends at the overall limit.
TEST_F(HttpClientTest, RequestsEndAtTheOverallLimit) {
    SetHttpLimits({2, 60, 1, 1});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(GetHttpPage(Url("/drip"), "gb2312"), kFalse);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 8s);  // the drip itself takes 10 s
}

// The form is sent again after a 307 or 308 only to the server it was
// meant for; another port of the same address is another server.
TEST_F(HttpClientTest, FormIsNeverRepostedToAnotherServer) {
    testing::RawHttpServer other("HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok");
    const std::string elsewhere = "http://127.0.0.1:" + std::to_string(other.Port()) + "/steal";
    away_ = elsewhere;
    for (const char* status : {"307", "308"}) {
        EXPECT_EQ(PostHttpPage(Url("/"), Url("/away"), std::string("status=") + status + "&pass=pw",
                               "gb2312"),
                  kFalse)
            << status;
    }
    EXPECT_TRUE(other.Requests().empty());
    // A 303 to it is an ordinary GET without the form.
    EXPECT_EQ(PostHttpPage(Url("/"), Url("/away"), "status=303&pass=pw", "gb2312"), "ok");
    ASSERT_EQ(other.Requests().size(), 1u);
    EXPECT_EQ(other.Requests()[0].find("pass"), std::string::npos);
}

TEST_F(HttpClientTest, RefusedConnectionEndsInFailure) {
    const std::string closed = Url("/page");
    server_.stop();
    thread_.join();
    thread_ = std::thread([] {});
    EXPECT_EQ(GetHttpPage(closed, "gb2312"), kFalse);
    EXPECT_EQ(PostHttpPage(closed, closed, "a=1", "gb2312"), kFalse);
}

TEST(HttpRequests, OtherSchemesThanWebAddressesAreRefused) {
    EXPECT_EQ(PostHttpPage("", "file:///etc/hostname", "", "utf-8"), kFalse);
    EXPECT_EQ(GetHttpPage("file:///etc/hostname", "utf-8"), kFalse);
}

TEST(HttpPost, SendsItsHeadersInOrderWithTheByteCount) {
    ::unsetenv("http_proxy");
    ::setenv("no_proxy", "127.0.0.1", 1);
    testing::RawHttpServer server(
        "HTTP/1.1 200 OK\r\nContent-Length: 6\r\nConnection: close\r\n\r\n\xB8\xE8\xC7\xFA\r\n");
    const std::string url = "http://127.0.0.1:" + std::to_string(server.Port()) + "/in";
    const std::string body = "name=%D6%D0&note=中";  // 18 characters, 20 bytes

    EXPECT_EQ(PostHttpPage("http://ref.example/index.php", url, body, "gb2312"), "歌曲\r\n");

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const std::string& raw = requests[0];
    const auto length = raw.find("\r\nContent-Length: 20\r\n");
    const auto type = raw.find("\r\nContent-Type: application/x-www-form-urlencoded\r\n");
    const auto agent = raw.find(std::string("\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1) Tunewell/") +
                                base::kProgramVersion + "\r\n");
    const auto referer = raw.find("\r\nReferer: http://ref.example/index.php\r\n");
    ASSERT_NE(length, std::string::npos) << raw;
    ASSERT_NE(type, std::string::npos) << raw;
    ASSERT_NE(agent, std::string::npos) << raw;
    ASSERT_NE(referer, std::string::npos) << raw;
    EXPECT_LT(length, type);
    EXPECT_LT(type, agent);
    EXPECT_LT(agent, referer);
    EXPECT_EQ(raw.find("Expect:"), std::string::npos) << raw;
    EXPECT_EQ(raw.find("Content-Length", length + 3), std::string::npos) << "sent twice: " << raw;
    EXPECT_EQ(raw.find("Content-Type", type + 3), std::string::npos) << "sent twice: " << raw;
    EXPECT_EQ(raw.substr(raw.find("\r\n\r\n") + 4), body);
}

TEST(HttpPost, RefererCannotSmuggleHeaders) {
    ::unsetenv("http_proxy");
    ::setenv("no_proxy", "127.0.0.1", 1);
    testing::RawHttpServer server("HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok");
    const std::string url = "http://127.0.0.1:" + std::to_string(server.Port()) + "/in";
    EXPECT_EQ(PostHttpPage("http://r/\r\nX-Injected: 1", url, "", "gb2312"), "ok");
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].find("\r\nX-Injected"), std::string::npos) << requests[0];
}

}  // namespace
}  // namespace tunewell::web
