// SPDX-License-Identifier: GPL-3.0-or-later
#include "demo_site/http_connection.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <charconv>
#include <cstdio>

#include "base/text.h"

namespace tunewell::demo {
namespace {

constexpr std::size_t kMaxHead = 64 * 1024;
constexpr std::size_t kMaxBody = 8 * 1024 * 1024;
// How often an idle connection looks at the stop flag.
constexpr int kIdlePollMs = 100;

// Writes the body of a streamed reply, framing it as chunks when the length
// is unknown and never sending more than a declared length.
class StreamSink : public BodySink {
public:
    StreamSink(HttpConnection& connection, const std::atomic<bool>& stopping, bool chunked,
               std::int64_t length)
        : connection_(connection), stopping_(stopping), chunked_(chunked), left_(length) {}

    bool Write(std::string_view bytes) override {
        if (stopping_.load()) return false;
        if (bytes.empty()) return true;
        if (chunked_) {
            char size[32];
            std::snprintf(size, sizeof size, "%zx\r\n", bytes.size());
            return connection_.Send(size) && connection_.Send(bytes) && connection_.Send("\r\n");
        }
        if (left_ <= 0) return false;
        if (static_cast<std::int64_t>(bytes.size()) > left_) bytes = bytes.substr(0, static_cast<std::size_t>(left_));
        left_ -= static_cast<std::int64_t>(bytes.size());
        return connection_.Send(bytes);
    }

    bool Stopping() const override { return stopping_.load(); }
    // Every declared byte went out (always true for a chunked body).
    bool Complete() const { return chunked_ || left_ == 0; }

private:
    HttpConnection& connection_;
    const std::atomic<bool>& stopping_;
    bool chunked_;
    std::int64_t left_;
};

bool ParseHeaderLine(std::string_view line, HttpRequest& request) {
    const auto colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0) return false;
    std::string_view value = line.substr(colon + 1);
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
    request.headers.emplace_back(std::string(line.substr(0, colon)), std::string(value));
    return true;
}

// "METHOD target HTTP/x.y" then header lines, CR LF (or bare LF) separated.
bool ParseHead(const std::string& head, HttpRequest& request) {
    std::size_t start = 0;
    bool first = true;
    while (start < head.size()) {
        auto end = head.find('\n', start);
        if (end == std::string::npos) end = head.size();
        std::string_view line(head.data() + start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        start = end + 1;
        if (first) {
            const auto space1 = line.find(' ');
            const auto space2 = line.rfind(' ');
            if (space1 == std::string_view::npos || space2 == space1) return false;
            request.method = std::string(line.substr(0, space1));
            request.target = std::string(line.substr(space1 + 1, space2 - space1 - 1));
            const std::string_view version = line.substr(space2 + 1);
            if (version.rfind("HTTP/", 0) != 0 || request.target.empty()) return false;
            request.http11 = version == "HTTP/1.1";
            first = false;
        } else if (!line.empty() && !ParseHeaderLine(line, request)) {
            return false;
        }
    }
    return !first;
}

}  // namespace

bool HttpConnection::Send(std::string_view bytes) {
    if (pacer_ == nullptr) return SendNow(bytes);
    while (!bytes.empty()) {
        const std::string_view piece = bytes.substr(0, LinkPacer::kSlice);
        if (!pacer_->Pace(connectionFree_, piece.size(), stopping_) || !SendNow(piece)) return false;
        bytes.remove_prefix(piece.size());
    }
    return true;
}

bool HttpConnection::SendNow(std::string_view bytes) {
    while (!bytes.empty()) {
        if (stopping_.load()) return false;
        const ssize_t sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

bool HttpConnection::ReadMore() {
    char chunk[16 * 1024];
    for (;;) {
        if (stopping_.load()) return false;
        const ssize_t got = ::recv(fd_, chunk, sizeof chunk, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        buffer_.append(chunk, static_cast<std::size_t>(got));
        return true;
    }
}

bool HttpConnection::ReadHead(std::string& head) {
    for (;;) {
        auto end = buffer_.find("\r\n\r\n");
        std::size_t skip = 4;
        if (end == std::string::npos) {
            end = buffer_.find("\n\n");
            skip = 2;
        }
        if (end != std::string::npos) {
            head = buffer_.substr(0, end);
            buffer_.erase(0, end + skip);
            return true;
        }
        if (buffer_.size() > kMaxHead || !ReadMore()) return false;
    }
}

bool HttpConnection::ReadBody(std::size_t length, std::string& body) {
    while (buffer_.size() < length) {
        if (!ReadMore()) return false;
    }
    body = buffer_.substr(0, length);
    buffer_.erase(0, length);
    return true;
}

int HttpConnection::ReadRequest(HttpRequest& request) {
    std::string head;
    if (!ReadHead(head)) return buffer_.size() > kMaxHead ? 431 : -1;
    if (!ParseHead(head, request)) return 400;
    SplitTarget(request);
    if (!request.Header("Transfer-Encoding").empty()) return 501;
    const std::string lengthText = request.Header("Content-Length");
    std::size_t length = 0;
    if (!lengthText.empty()) {
        const auto [ptr, ec] = std::from_chars(lengthText.data(), lengthText.data() + lengthText.size(), length);
        if (ec != std::errc() || ptr != lengthText.data() + lengthText.size()) return 400;
        if (length > kMaxBody) return 413;
    }
    if (length > 0 && base::LowerAscii(request.Header("Expect")) == "100-continue" && buffer_.empty()) {
        if (!Send("HTTP/1.1 100 Continue\r\n\r\n")) return -1;
    }
    if (!ReadBody(length, request.body)) return -1;
    return 0;
}

bool HttpConnection::WaitForRequest(int idleMs) {
    if (!buffer_.empty()) return true;
    for (int waited = 0; waited < idleMs; waited += kIdlePollMs) {
        if (stopping_.load()) return false;
        pollfd waiting{fd_, POLLIN, 0};
        const int ready = ::poll(&waiting, 1, kIdlePollMs);
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) return false;
    }
    return false;
}

bool HttpConnection::WriteResponse(const HttpRequest& request, HttpResponse& response, bool mayKeep) {
    if (response.dropConnection) return false;
    const bool streamed = static_cast<bool>(response.stream);
    const bool chunked = streamed && response.streamLength < 0;
    const bool keep = mayKeep && request.KeepAlive();
    std::string head = "HTTP/1.1 " + std::to_string(response.status) + " " + ReasonPhrase(response.status) + "\r\n";
    for (const auto& [name, value] : response.headers) head += name + ": " + value + "\r\n";
    if (chunked) {
        head += "Transfer-Encoding: chunked\r\n";
    } else if (response.status == 204 || response.status == 304) {
        // Replies that never have a body carry no length either.
    } else {
        const std::int64_t length = streamed ? response.streamLength : static_cast<std::int64_t>(response.body.size());
        head += "Content-Length: " + std::to_string(length) + "\r\n";
    }
    head += keep ? "\r\n" : "Connection: close\r\n\r\n";
    if (!Send(head)) return false;
    if (request.method == "HEAD") return keep;
    if (!streamed) return Send(response.body) && keep;
    StreamSink sink(*this, stopping_, chunked, response.streamLength);
    // A body cut short leaves the connection in the middle of a reply: it
    // ends with it.
    if (!response.stream(sink) || !sink.Complete()) return false;
    if (chunked && !Send("0\r\n\r\n")) return false;
    return keep;
}

}  // namespace tunewell::demo
