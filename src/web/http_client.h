#pragma once
#include <string>

#include "web/get_body.h"

namespace tunewell::web {

// Synchronous page requests on libcurl. Every request shares one
// process-wide cookie store (see CookieStore), follows redirects and honours
// the http_proxy environment variable. Failures return kFalse, never throw.

// GET; the decoded body for status 200, else kFalse. Addresses shorter than
// 18 characters or equal to kFalse are refused without a request.
// `refererUrl` is accepted and not sent. An unknown charset gives "".
std::string GetHttpPage(const std::string& httpUrl, const std::string& refererUrl,
                        const std::string& charset);
// The two-argument form callers use when the referer is the address itself.
std::string GetHttpPage(const std::string& httpUrl, const std::string& charset);

// Form POST with Content-Length, Content-Type, User-Agent and Referer, in that
// order. The decoded reply whatever its status; kFalse when sending failed.
std::string PostHttpPage(const std::string& refererUrl, const std::string& postUrl,
                         const std::string& postData, const std::string& charset);

// Time limits: a connection attempt and a transfer that receives nothing.
// Without them a server that accepts and never answers freezes the window.
struct HttpLimits {
    long connectSeconds = 30;
    long stallSeconds = 60;
};
HttpLimits GetHttpLimits();
// Test seam: shorter limits make stalled-server tests fast.
void SetHttpLimits(const HttpLimits& limits);

}  // namespace tunewell::web
