// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/remote_bytes.h"

#include "net/http_request.h"

namespace tunewell::net {

std::optional<std::string> FetchRemoteBytes(const std::string& address, std::size_t maxBytes) {
    if (address.empty() || maxBytes == 0) return std::nullopt;
    HttpRequest request;
    request.url = address;
    // Run on a worker thread: the connection cache belongs to the UI thread.
    request.policy.sharedConnections = false;
    request.policy.sharedCookies = false;
    request.policy.maxRedirects = 10;
    request.policy.connect = std::chrono::seconds(20);
    request.policy.stall = std::chrono::seconds(30);
    request.policy.maxBody = maxBytes;
    HttpResponse response = Perform(request);
    if (!response.Ok() || response.status >= 400) return std::nullopt;
    return std::move(response.body);
}

}  // namespace tunewell::net
