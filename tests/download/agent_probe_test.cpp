// SPDX-License-Identifier: GPL-3.0-or-later
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>

#include "download/agent_probe.h"
#include "fs/cls_fso.h"

namespace tunewell::download {
namespace {

using namespace std::chrono_literals;

// A one-thread HTTP responder on 127.0.0.1 that answers every request with
// a fixed body and remembers the last request it read.
class StubServer {
public:
    explicit StubServer(std::string body, bool answer = true)
        : body_(std::move(body)), answer_(answer) {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        ::listen(fd_, 4);
        thread_ = std::thread([this] { Serve(); });
    }
    ~StubServer() {
        stopping_ = true;
        ::shutdown(fd_, SHUT_RDWR);
        ::close(fd_);
        thread_.join();
    }
    std::string Endpoint() const {
        return "http://127.0.0.1:" + std::to_string(port_) + "/jsonrpc";
    }
    std::string LastRequest() const { return request_; }

private:
    void Serve() {
        while (!stopping_) {
            const int client = ::accept(fd_, nullptr, nullptr);
            if (client < 0) return;
            std::string request;
            char buffer[4096];
            while (request.find("}") == std::string::npos) {
                const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
                if (got <= 0) break;
                request.append(buffer, static_cast<size_t>(got));
            }
            request_ = request;
            if (answer_) {
                const std::string reply = "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n"
                                          "Content-Length: " + std::to_string(body_.size()) +
                                          "\r\nConnection: close\r\n\r\n" + body_;
                ::send(client, reply.data(), reply.size(), MSG_NOSIGNAL);
            } else {
                std::this_thread::sleep_for(600ms);
            }
            ::close(client);
        }
    }

    std::string body_;
    bool answer_;
    int fd_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::string request_;
    std::thread thread_;
};

int UnusedPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

using fs::ClsFso;

// The file-system object asks the hand-off's probe about the agent.
ClsFso AskingAt(const std::string& endpoint) {
    return ClsFso([endpoint] { return AgentAnswers(endpoint); });
}

TEST(IsObjInstalled, FileSystemObjectIsAlwaysThere) {
    ClsFso fso = AskingAt("http://127.0.0.1:" + std::to_string(UnusedPort()) + "/jsonrpc");
    EXPECT_TRUE(fso.IsObjInstalled("Scripting.FileSystemObject"));
    EXPECT_TRUE(fso.IsObjInstalled("scripting.filesystemobject"));
    EXPECT_FALSE(fso.IsObjInstalled("Some.Other"));
    EXPECT_FALSE(fso.IsObjInstalled(""));
}

TEST(IsObjInstalled, AgentNeedsAnAnsweringEndpoint) {
    StubServer server(R"({"id":"probe","jsonrpc":"2.0","result":{"version":"1.36.0"}})");
    ClsFso fso = AskingAt(server.Endpoint());
    EXPECT_TRUE(fso.IsObjInstalled("ThunderAgent.Agent"));
    EXPECT_NE(server.LastRequest().find("POST /jsonrpc"), std::string::npos);
    EXPECT_NE(server.LastRequest().find(R"("method":"aria2.getVersion")"), std::string::npos);

    ClsFso nobody = AskingAt("http://127.0.0.1:" + std::to_string(UnusedPort()) + "/jsonrpc");
    EXPECT_FALSE(nobody.IsObjInstalled("ThunderAgent.Agent"));
}

TEST(AgentAnswers, JsonRpcErrorStillMeansPresent) {
    StubServer server(R"({"id":"probe","jsonrpc":"2.0","error":{"code":1,"message":"Unauthorized"}})");
    EXPECT_TRUE(AgentAnswers(server.Endpoint()));
}

TEST(AgentAnswers, OtherServersAndSilenceMeanAbsent) {
    StubServer page("<html>not an agent</html>");
    EXPECT_FALSE(AgentAnswers(page.Endpoint()));
    StubServer silent("", false);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(AgentAnswers(silent.Endpoint(), 200ms));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
}

}  // namespace
}  // namespace tunewell::download
