// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <chrono>
#include <optional>
#include <string>

namespace tunewell::net {

// The JSON-RPC endpoint of the local aria2 daemon, which stands in for the
// download manager's automation agent.
inline constexpr const char* kAria2Endpoint = "http://127.0.0.1:6800/jsonrpc";

struct JsonRpcReply {
    long status = 0;
    std::string body;
};

// Posts one JSON-RPC request (`json`, already serialised) to `endpoint`
// directly (never through a proxy, no cookies), giving up after `timeout`
// in all. The reply's status and body whatever the status; nothing when no
// reply came (refused, timed out, a reply over 64 KiB).
std::optional<JsonRpcReply> CallJsonRpc(const std::string& endpoint, const std::string& json,
                                        std::chrono::milliseconds timeout);

}  // namespace tunewell::net
