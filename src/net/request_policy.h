// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tunewell::net {

// The largest page body any request keeps in memory. Pages of the site, the
// file host and the version server are a few hundred kilobytes; a larger
// body fails like any other failed fetch instead of exhausting memory.
inline constexpr std::size_t kPageBodyCap = 64u * 1024u * 1024u;

// How one request may use the network. Every libcurl easy handle of the
// program is made from one of these (see NewEasy), so protocols, limits,
// proxy and cookies are decided in one place.
struct RequestPolicy {
    // Through the proxy named by http_proxy / https_proxy, or never through
    // any proxy (the local download agent).
    bool proxyFromEnvironment = true;
    // Connections, DNS answers and TLS sessions from and to the process's
    // one connection cache (ProcessShare), so a request to a host or proxy
    // reached before needs no new connection. A request made on a worker
    // thread sets this false; it then shares nothing, cookies included.
    bool sharedConnections = true;
    // Cookies from and to the process-wide CookieStore, or none at all.
    bool sharedCookies = true;
    bool followRedirects = true;
    long maxRedirects = 20;
    // A connection not made within `connect` fails.
    std::chrono::milliseconds connect{30000};
    // Fewer than `stallBytes` received within any `stall` of waiting is a
    // stall (a drip of a byte a minute keeps nothing alive).
    std::chrono::milliseconds stall{60000};
    std::int64_t stallBytes = 1024;
    // A whole request that takes longer fails; zero means no overall limit.
    std::chrono::milliseconds total{0};
    // A body larger than this fails; zero means no cap (streamed transfers).
    std::size_t maxBody = kPageBodyCap;
    // The most body bytes a second the request receives; zero: no limit.
    std::int64_t maxBytesPerSecond = 0;
    // libcurl's receive buffer; zero keeps its default.
    long receiveBuffer = 0;
};

// Why a request failed. kNone is success at the transport level; the HTTP
// status is then in the response.
enum class Failure {
    kNone,
    kRefusedAddress,  // no http or https scheme: nothing was sent
    kTransport,       // name, connection, protocol or local write error
    kHttpStatus,      // the caller's status rule rejected the final reply
    kStall,           // too few bytes within the stall limit
    kTimeout,         // connect or overall limit
    kSizeCap,         // the body outgrew RequestPolicy::maxBody
    kAborted,         // the caller's wait step asked to stop
};

// Whether `url` starts with "http://" or "https://" (any letter case).
// libcurl would guess a scheme for a bare host; the program refuses such an
// address instead, so that an address without its scheme fails visibly.
bool IsWebAddress(const std::string& url);

}  // namespace tunewell::net
