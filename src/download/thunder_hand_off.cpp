// SPDX-License-Identifier: GPL-3.0-or-later
#include "download/thunder_hand_off.h"

#include "download/aria2_agent.h"
#include "download/com_thunder_agent.h"
#include "net/request_policy.h"

namespace tunewell::download {

AgentFactory DefaultAgentFactory(const std::string& secret, const std::string& endpoint) {
#ifdef _WIN32
    // Windows has the manager's own automation object; aria2 serves Linux.
    (void)secret;
    (void)endpoint;
    return ComAgentFactory();
#else
    const std::string address = endpoint.empty() ? Aria2Agent::kDefaultEndpoint : endpoint;
    return [secret, address] { return std::make_unique<Aria2Agent>(address, secret); };
#endif
}

bool IsHandOffAddress(const std::string& address) {
    return net::IsWebAddress(address);
}

std::vector<std::string> DownloadManagerProcessNames() {
#ifdef _WIN32
    return {"Thunder5.exe", "Thunder.exe"};
#else
    return {"aria2c"};
#endif
}

bool AddThunderTask(const AgentFactory& factory, const std::string& address,
                    const std::string& fileName, const std::string& folder,
                    const std::string& comment, const std::string& referer, std::int16_t a,
                    std::int16_t b, std::int16_t c) {
    std::unique_ptr<ThunderAgent> agent = factory ? factory() : nullptr;
    if (!agent) return false;
    const bool added = agent->AddTask(address, fileName, folder, comment, referer, a, b, c);
    const bool committed = agent->CommitTasks2(1);
    return added && committed;
}

}  // namespace tunewell::download
