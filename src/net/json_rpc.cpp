// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/json_rpc.h"

#include "net/http_request.h"

#include <algorithm>

namespace tunewell::net {
namespace {

// The daemon is local: a connection it does not take at once will not come.
constexpr std::chrono::milliseconds kLongestConnect{5000};

}  // namespace

std::optional<JsonRpcReply> CallJsonRpc(const std::string& endpoint, const std::string& json,
                                        std::chrono::milliseconds timeout) {
    HttpRequest request;
    request.url = endpoint;
    request.postBody = json;
    request.headers = {"Content-Type: application/json", "Expect:"};
    request.policy.proxyFromEnvironment = false;
    request.policy.sharedCookies = false;
    request.policy.followRedirects = false;
    request.policy.connect = std::min(timeout, kLongestConnect);
    request.policy.total = timeout;
    request.policy.maxBody = 64 * 1024;
    HttpResponse response = Perform(request);
    if (!response.Ok()) return std::nullopt;
    return JsonRpcReply{response.status, std::move(response.body)};
}

}  // namespace tunewell::net
