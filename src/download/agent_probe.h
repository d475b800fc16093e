// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <chrono>
#include <string>

#include "net/json_rpc.h"

namespace tunewell::download {

// The JSON-RPC endpoint of the local aria2 daemon that stands in for the
// download manager's automation agent.
inline constexpr const char* kDefaultAgentEndpoint = net::kAria2Endpoint;

// Asks the JSON-RPC endpoint for its version ("aria2.getVersion") with a
// short timeout and no proxy. True when a JSON-RPC reply (a result or an
// error object) comes back; false on any failure. Never throws.
bool AgentAnswers(const std::string& endpoint,
                  std::chrono::milliseconds timeout = std::chrono::milliseconds(1500));

}  // namespace tunewell::download
