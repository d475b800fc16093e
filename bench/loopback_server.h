// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A cpp-httplib server on a free port of 127.0.0.1 for the transfer
// benchmarks: the caller sets its routes on Http(), then Start() listens on
// a thread of its own until the server is destroyed.
#include <httplib.h>

#include <chrono>
#include <csignal>
#include <string>
#include <thread>

namespace tunewell::bench {

class LoopbackServer {
public:
    LoopbackServer() { std::signal(SIGPIPE, SIG_IGN); }  // a client that hangs up must not end the bench
    ~LoopbackServer() {
        if (!thread_.joinable()) return;
        http_.stop();
        thread_.join();
    }
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    httplib::Server& Http() { return http_; }
    void Start() {
        port_ = http_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { http_.listen_after_bind(); });
        while (!http_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    // "http://127.0.0.1:PORT" followed by `path`.
    std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }

private:
    httplib::Server http_;
    int port_ = 0;
    std::thread thread_;
};

}  // namespace tunewell::bench
