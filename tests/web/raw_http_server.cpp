// SPDX-License-Identifier: GPL-3.0-or-later
#include "raw_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace tunewell::web::testing {
namespace {

// Content-Length of a raw request head, 0 when absent.
std::size_t BodyLength(const std::string& head) {
    const std::string key = "\r\ncontent-length:";
    std::string lower = head;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const auto at = lower.find(key);
    return at == std::string::npos ? 0 : std::strtoul(head.c_str() + at + key.size(), nullptr, 10);
}

}  // namespace

RawHttpServer::RawHttpServer(std::string reply) : reply_(std::move(reply)) {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listener_, 8) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("raw test server cannot listen");
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
}

RawHttpServer::~RawHttpServer() {
    stopping_ = true;
    thread_.join();
    ::close(listener_);
}

std::vector<std::string> RawHttpServer::Requests() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

void RawHttpServer::Serve() {
    while (!stopping_) {
        pollfd waiting{listener_, POLLIN, 0};
        if (::poll(&waiting, 1, 50) <= 0) continue;
        const int client = ::accept(listener_, nullptr, nullptr);
        if (client < 0) continue;
        HandleClient(client);
        ::close(client);
    }
}

void RawHttpServer::HandleClient(int client) {
    std::string request;
    char buffer[4096];
    for (;;) {
        const auto headEnd = request.find("\r\n\r\n");
        if (headEnd != std::string::npos &&
            request.size() >= headEnd + 4 + BodyLength(request.substr(0, headEnd + 2))) {
            break;
        }
        pollfd readable{client, POLLIN, 0};
        if (::poll(&readable, 1, 2000) <= 0) break;
        const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        request.append(buffer, static_cast<std::size_t>(got));
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(request);
    }
    ::send(client, reply_.data(), reply_.size(), MSG_NOSIGNAL);
}

}  // namespace tunewell::web::testing
