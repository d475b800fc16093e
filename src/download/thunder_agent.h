// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace tunewell::download {

// The external download manager's automation object: tasks are queued with
// AddTask and handed over together by CommitTasks2. Both report whether the
// manager accepted them.
class ThunderAgent {
public:
    virtual ~ThunderAgent() = default;
    virtual bool AddTask(const std::string& address, const std::string& fileName,
                         const std::string& folder, const std::string& comment,
                         const std::string& referer, std::int16_t startMode,
                         std::int16_t onlyFromOrigin, std::int16_t originThreads) = 0;
    virtual bool CommitTasks2(std::int16_t flag) = 0;
};

// Makes one agent per hand-off; nullptr when the manager's agent cannot be
// created.
using AgentFactory = std::function<std::unique_ptr<ThunderAgent>()>;

}  // namespace tunewell::download
