// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <atomic>
#include <string>

#include "demo_site/http_message.h"
#include "demo_site/link_shape.h"

namespace tunewell::demo {

// One accepted socket: reads requests and writes their replies, one after
// another (HTTP/1.1 keep-alive). Does not own the descriptor (the server
// closes it).
class HttpConnection {
public:
    // `pacer`, when set, shapes what Send writes (borrowed; outlives this).
    HttpConnection(int fd, const std::atomic<bool>& stopping, LinkPacer* pacer = nullptr)
        : fd_(fd), stopping_(stopping), pacer_(pacer) {}

    // Reads the request head and body. Returns 0 when a request was read,
    // an HTTP status (400, 413, 431, 501) to answer when it is malformed,
    // or -1 when the client sent nothing usable and went away.
    int ReadRequest(HttpRequest& request);

    // Writes the reply (the body is left out for HEAD). Returns true when the
    // connection may carry the next request: `mayKeep`, the client keeps
    // connections (HttpRequest::KeepAlive) and the whole reply went out.
    // Otherwise the reply asks the client to close ("Connection: close").
    bool WriteResponse(const HttpRequest& request, HttpResponse& response, bool mayKeep);

    // Waits up to `idleMs` for the next request's first bytes; false when
    // none came, the client went away or the server is stopping.
    bool WaitForRequest(int idleMs);

    // Raw bytes; false when the client has gone or the server is stopping.
    bool Send(std::string_view bytes);

private:
    bool ReadMore();
    bool ReadHead(std::string& head);
    bool ReadBody(std::size_t length, std::string& body);
    bool SendNow(std::string_view bytes);

    int fd_;
    const std::atomic<bool>& stopping_;
    LinkPacer* pacer_;
    LinkPacer::Clock::time_point connectionFree_{};
    std::string buffer_;  // bytes received and not yet consumed
};

}  // namespace tunewell::demo
