// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "download/thunder_agent.h"

namespace tunewell::download {

// The factory for this platform: aria2's JSON-RPC endpoint on loopback,
// with the secret aria2 was started with (--rpc-secret; empty: none).
// `endpoint` empty: aria2's usual loopback address.
AgentFactory DefaultAgentFactory(const std::string& secret = {}, const std::string& endpoint = {});

// Whether the download manager may be given this address: http and https
// only (scheme matched regardless of case).
bool IsHandOffAddress(const std::string& address);

// The executable names that mean the download manager runs.
std::vector<std::string> DownloadManagerProcessNames();

// Queues one song in the download manager: creates the agent, AddTask with
// the eight arguments, CommitTasks2(1), releases the agent. False when the
// agent cannot be created or refuses the task.
bool AddThunderTask(const AgentFactory& factory, const std::string& address,
                    const std::string& fileName, const std::string& folder,
                    const std::string& comment, const std::string& referer, std::int16_t a,
                    std::int16_t b, std::int16_t c);

}  // namespace tunewell::download
