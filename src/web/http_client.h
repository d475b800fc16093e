// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

#include "web/get_body.h"

namespace tunewell::web {

// Synchronous page requests (see net::Perform). Every request shares one
// process-wide cookie store (see CookieStore), follows redirects, honours
// the http_proxy environment variable and runs the window's wait pump
// (net::RunWaitPump with WaitKind::kPage) at least every 50 ms while it
// waits. A body over net::kPageBodyCap fails. Failures return kFalse,
// never throw.

// GET; the decoded body for status 200, else kFalse. Addresses shorter than
// 18 characters or equal to kFalse are refused without a request.
// `refererUrl` is accepted and not sent. An unknown charset gives "".
std::string GetHttpPage(const std::string& httpUrl, const std::string& refererUrl,
                        const std::string& charset);
// The two-argument form callers use when the referer is the address itself.
std::string GetHttpPage(const std::string& httpUrl, const std::string& charset);

// A page, or why there is none: what GetHttpPage gives, with the cause of a
// failure for the user's message.
struct PageResult {
    enum class Failure {
        kNone,
        kRefused,     // too short an address, or not http(s): nothing sent
        kHttpStatus,  // the server answered `status`, not 200
        kNetwork,     // no connection, or it broke off
        kTimeout,     // the connect or overall time limit
        kStall,       // too few bytes within the stall limit
        kTooLarge,    // a body over net::kPageBodyCap
    };
    std::string page;  // the decoded body, or kFalse
    Failure failure = Failure::kNone;
    long status = 0;
};
PageResult FetchHttpPage(const std::string& httpUrl, const std::string& charset);

// Form POST with Content-Length, Content-Type, User-Agent and Referer, in that
// order. Redirects are followed as a browser does (a GET after 301, 302 and
// 303; the form again after 307 and 308, but only to the same server: see
// net::SameServer). The decoded final reply whatever its status; kFalse
// when sending or a redirect's request failed, or a 307 or 308 led to
// another server.
std::string PostHttpPage(const std::string& refererUrl, const std::string& postUrl,
                         const std::string& postData, const std::string& charset);

// Time limits: a connection attempt, a request that receives fewer than
// `stallBytes` within `stallSeconds`, and a whole request (0: none).
// Without them a server that accepts and never answers, or drips just
// enough to pass the stall rule, holds the list step forever.
struct HttpLimits {
    long connectSeconds = 30;
    long stallSeconds = 60;
    long stallBytes = 1024;
    long totalSeconds = 120;
};
HttpLimits GetHttpLimits();
// Test seam: shorter limits make stalled-server tests fast.
void SetHttpLimits(const HttpLimits& limits);

}  // namespace tunewell::web
