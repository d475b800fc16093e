// SPDX-License-Identifier: GPL-3.0-or-later
#include "download/agent_probe.h"

#include <nlohmann/json.hpp>

#include "net/json_rpc.h"

namespace tunewell::download {
namespace {

constexpr const char* kProbeRequest =
    R"({"jsonrpc":"2.0","id":"probe","method":"aria2.getVersion"})";

bool IsJsonRpcReply(const std::string& body) {
    const auto reply = nlohmann::json::parse(body, nullptr, false);
    if (reply.is_discarded() || !reply.is_object()) return false;
    return reply.contains("result") || reply.contains("error");
}

}  // namespace

bool AgentAnswers(const std::string& endpoint, std::chrono::milliseconds timeout) {
    const auto reply = net::CallJsonRpc(endpoint, kProbeRequest, timeout);
    return reply && IsJsonRpcReply(reply->body);
}

}  // namespace tunewell::download
