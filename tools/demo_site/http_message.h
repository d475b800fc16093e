// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tunewell::demo {

using HeaderList = std::vector<std::pair<std::string, std::string>>;

// One request as the demo server received it. Through a proxy the target is
// in absolute form ("http://host/path?q"); `host`, `path` and `query` are the
// pieces of it, or of the origin-form target and the Host header.
struct HttpRequest {
    std::string method;
    std::string target;  // as sent on the request line
    std::string host;    // lower-case, without port
    std::string path;    // without scheme, host and query; still percent-encoded
    std::string query;   // the text after '?', raw
    HeaderList headers;
    std::string body;
    // The request line's version is HTTP/1.1 (keep-alive by default).
    bool http11 = false;
    // The serial number of the connection that carried the request (1 for
    // the first the server accepted), so tests can tell reuse.
    long connection = 0;

    // Value of the first header of that name (case-insensitive), "" if none.
    std::string Header(std::string_view name) const;
    // Raw value of a query parameter ("" if absent); HasQuery tells absence apart.
    std::string QueryValue(std::string_view key) const;
    bool HasQuery(std::string_view key) const;
    // Value of a cookie in the Cookie header, "" if none.
    std::string CookieValue(std::string_view name) const;
    // Path plus "?" and query when there is one.
    std::string PathAndQuery() const;
    // Whether the client lets the connection carry another request after
    // this one: HTTP/1.1 without "Connection: close".
    bool KeepAlive() const;
};

// Where a streamed body goes. Write returns false when the client has gone
// or the server is stopping; the producer must then return at once.
class BodySink {
public:
    virtual ~BodySink() = default;
    virtual bool Write(std::string_view bytes) = 0;
    virtual bool Stopping() const = 0;
};

// The reply a handler fills in. Either `body`, or `stream` with a declared
// `streamLength` (negative: chunked transfer encoding). A stream that returns
// false ends the connection without completing the reply.
struct HttpResponse {
    int status = 200;
    HeaderList headers;
    std::string body;
    std::function<bool(BodySink&)> stream;
    std::int64_t streamLength = -1;
    bool dropConnection = false;  // close the connection without any reply

    void SetHeader(const std::string& name, const std::string& value);
    void AddHeader(const std::string& name, const std::string& value);
};

// %XX escapes to bytes; '+' to a blank when `plusIsSpace`. Malformed escapes stay.
std::string PercentDecode(std::string_view text, bool plusIsSpace);
// Value of `key` in a "a=1&b=2" list, raw; found tells whether it was there.
std::string FormValue(std::string_view list, std::string_view key, bool* found = nullptr);
std::string ReasonPhrase(int status);
// Fills host, path and query from the target and the Host header.
void SplitTarget(HttpRequest& request);

}  // namespace tunewell::demo
