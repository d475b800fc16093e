// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <memory>

#include "download/thunder_agent.h"
#include "platform/automation_object.h"

namespace tunewell::download {

// The download manager's own automation object, "ThunderAgent.Agent", as
// Windows registers it: AddTask with its eight arguments in their order
// (five texts, three 16-bit numbers), then CommitTasks2.
class ComThunderAgent : public ThunderAgent {
public:
    static constexpr const char* kProgId = "ThunderAgent.Agent";

    // Owns the object.
    explicit ComThunderAgent(std::unique_ptr<platform::AutomationObject> object) : object_(std::move(object)) {}

    bool AddTask(const std::string& address, const std::string& fileName, const std::string& folder,
                 const std::string& comment, const std::string& referer, std::int16_t startMode,
                 std::int16_t onlyFromOrigin, std::int16_t originThreads) override;
    bool CommitTasks2(std::int16_t flag) override;

private:
    std::unique_ptr<platform::AutomationObject> object_;
};

// Creates the object for each hand-off; the factory gives nullptr when the
// manager is not installed.
AgentFactory ComAgentFactory();

}  // namespace tunewell::download
