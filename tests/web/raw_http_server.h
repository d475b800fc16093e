// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tunewell::web::testing {

// A one-thread HTTP server on 127.0.0.1 that keeps every request exactly as
// it arrived (header order and spelling included) and answers each with the
// same fixed reply. Stops and joins in its destructor.
class RawHttpServer {
public:
    explicit RawHttpServer(std::string reply);
    ~RawHttpServer();

    int Port() const { return port_; }
    std::vector<std::string> Requests();

    RawHttpServer(const RawHttpServer&) = delete;
    RawHttpServer& operator=(const RawHttpServer&) = delete;

private:
    void Serve();
    void HandleClient(int client);

    std::string reply_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

}  // namespace tunewell::web::testing
