// SPDX-License-Identifier: GPL-3.0-or-later
#include "demo_site/http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include "demo_site/http_connection.h"

namespace tunewell::demo {
namespace {

// A client that stops reading or writing for this long is dropped, so a
// forgotten connection cannot hold a thread for ever.
constexpr int kSocketTimeoutSeconds = 30;
// An idle kept-alive connection is closed after this long; clients find
// out before they reuse it (or retry on a fresh one).
constexpr int kKeepAliveIdleMs = 10000;

void SetTimeouts(int fd) {
    timeval timeout{};
    timeout.tv_sec = kSocketTimeoutSeconds;
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
}

HttpResponse ErrorResponse(int status) {
    HttpResponse response;
    response.status = status;
    response.SetHeader("Content-Type", "text/plain");
    response.body = std::to_string(status) + " " + ReasonPhrase(status) + "\n";
    return response;
}

}  // namespace

HttpServer::HttpServer(Handler handler) : handler_(std::move(handler)) {}

HttpServer::~HttpServer() { Stop(); }

void HttpServer::SetLink(const LinkShape& shape) {
    if (listenFd_ >= 0) return;
    pacer_ = shape.Shaped() ? std::make_unique<LinkPacer>(shape) : nullptr;
}

int HttpServer::Start(int port) {
    if (listenFd_ >= 0) return -1;
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    const int yes = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 64) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        ::close(fd);
        return -1;
    }
    listenFd_ = fd;
    port_ = ntohs(address.sin_port);
    stopping_ = false;
    acceptThread_ = std::thread([this] { AcceptLoop(); });
    return port_;
}

void HttpServer::Stop() {
    if (listenFd_ < 0) return;
    stopping_ = true;
    ::shutdown(listenFd_, SHUT_RDWR);  // wakes the accept loop's poll at once
    if (acceptThread_.joinable()) acceptThread_.join();
    std::list<std::unique_ptr<Worker>> workers;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        // Wake every connection thread blocked in recv or send.
        for (int fd : openFds_) ::shutdown(fd, SHUT_RDWR);
        workers.swap(workers_);
    }
    for (auto& worker : workers) {
        if (worker->thread.joinable()) worker->thread.join();
    }
    ::close(listenFd_);
    listenFd_ = -1;
}

void HttpServer::AcceptLoop() {
    while (!stopping_.load()) {
        pollfd waiting{listenFd_, POLLIN, 0};
        const int ready = ::poll(&waiting, 1, 100);
        ReapFinishedWorkers();
        if (ready <= 0) continue;
        const int client = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        SetTimeouts(client);
        Track(client, true);
        auto worker = std::make_unique<Worker>();
        Worker* raw = worker.get();
        std::lock_guard<std::mutex> lock(mutex_);
        const long serial = ++accepted_;
        worker->thread = std::thread([this, client, raw, serial] {
            Serve(client, serial);
            Track(client, false);
            ::close(client);
            raw->done = true;
        });
        workers_.push_back(std::move(worker));
    }
}

void HttpServer::ReapFinishedWorkers() {
    std::list<std::unique_ptr<Worker>> finished;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto it = workers_.begin(); it != workers_.end();) {
            if ((*it)->done.load()) {
                finished.push_back(std::move(*it));
                it = workers_.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& worker : finished) worker->thread.join();
}

void HttpServer::Track(int fd, bool add) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (add) {
        openFds_.insert(fd);
    } else {
        openFds_.erase(fd);
    }
}

void HttpServer::Serve(int fd, long serial) {
    HttpConnection connection(fd, stopping_, pacer_.get());
    // A distant link: the connection's set-up costs a round trip before the
    // first request arrives, and every reply another.
    if (pacer_ && !pacer_->RoundTrip(stopping_)) return;
    for (bool first = true;; first = false) {
        if (!first && !connection.WaitForRequest(kKeepAliveIdleMs)) return;
        HttpRequest request;
        const int status = connection.ReadRequest(request);
        if (status < 0) return;
        if (pacer_ && !pacer_->RoundTrip(stopping_)) return;
        if (status > 0) {
            HttpResponse error = ErrorResponse(status);
            connection.WriteResponse(request, error, false);
            return;
        }
        request.connection = serial;
        HttpResponse response;
        try {
            handler_(request, response);
        } catch (const std::exception&) {
            response = ErrorResponse(500);
        }
        if (!connection.WriteResponse(request, response, !stopping_.load())) break;
    }
    ::shutdown(fd, SHUT_WR);
}

}  // namespace tunewell::demo
