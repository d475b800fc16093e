// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "net/request_policy.h"
#include "net/wait_pump.h"

namespace tunewell::net {

// One HTTP request whose whole reply body is kept in memory (pages, small
// pictures, JSON-RPC calls). File transfers stream instead: see
// transfer::FileTransfer.
struct HttpRequest {
    std::string url;
    std::optional<std::string> postBody;  // set: a POST with this body
    std::vector<std::string> headers;     // "Name: value" lines, sent in order
    RequestPolicy policy;
    // Set: the waiting thread runs the process-wide wait pump with this kind
    // at least every 50 ms. Unset: nothing runs while the request waits
    // (worker threads, the command line's own calls).
    std::optional<WaitKind> pump;
    bool keepHeaders = false;  // collect the reply's header lines too
};

// The reply, or why there is none. The status and body are those of the
// final reply after redirects; the body is empty on any failure.
struct HttpResponse {
    Failure failure = Failure::kNone;
    long status = 0;
    std::string body;
    std::string headers;      // all header lines received, when asked for
    std::string redirectUrl;  // Location of a redirect that was not followed

    bool Ok() const { return failure == Failure::kNone; }
};

// Sends the request and waits for the whole reply on the calling thread.
// Never throws; every failure is in HttpResponse::failure. Any HTTP status
// counts as a reply: the caller decides which statuses it accepts.
HttpResponse Perform(const HttpRequest& request);

}  // namespace tunewell::net
