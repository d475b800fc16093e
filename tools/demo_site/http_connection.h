#pragma once
#include <atomic>
#include <string>

#include "demo_site/http_message.h"

namespace tunewell::demo {

// One accepted socket: reads one request and writes one reply. Does not own
// the descriptor (the server closes it).
class HttpConnection {
public:
    HttpConnection(int fd, const std::atomic<bool>& stopping) : fd_(fd), stopping_(stopping) {}

    // Reads the request head and body. Returns 0 when a request was read,
    // an HTTP status (400, 413, 431, 501) to answer when it is malformed,
    // or -1 when the client sent nothing usable and went away.
    int ReadRequest(HttpRequest& request);

    // Writes the reply (the body is left out for HEAD). Always asks the client
    // to close the connection afterwards.
    void WriteResponse(const HttpRequest& request, HttpResponse& response);

    // Raw bytes; false when the client has gone or the server is stopping.
    bool Send(std::string_view bytes);

private:
    bool ReadMore();
    bool ReadHead(std::string& head);
    bool ReadBody(std::size_t length, std::string& body);

    int fd_;
    const std::atomic<bool>& stopping_;
    std::string buffer_;  // bytes received and not yet consumed
};

}  // namespace tunewell::demo
