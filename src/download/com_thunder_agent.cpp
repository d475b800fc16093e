// SPDX-License-Identifier: GPL-3.0-or-later
#include "download/com_thunder_agent.h"

namespace tunewell::download {

bool ComThunderAgent::AddTask(const std::string& address, const std::string& fileName, const std::string& folder,
                              const std::string& comment, const std::string& referer, std::int16_t startMode,
                              std::int16_t onlyFromOrigin, std::int16_t originThreads) {
    return object_->Call("AddTask",
                         {address, fileName, folder, comment, referer, startMode, onlyFromOrigin, originThreads});
}

bool ComThunderAgent::CommitTasks2(std::int16_t flag) { return object_->Call("CommitTasks2", {flag}); }

AgentFactory ComAgentFactory() {
    return []() -> std::unique_ptr<ThunderAgent> {
        auto object = platform::AutomationObject::Create(ComThunderAgent::kProgId);
        if (!object) return nullptr;
        return std::make_unique<ComThunderAgent>(std::move(object));
    };
}

}  // namespace tunewell::download
