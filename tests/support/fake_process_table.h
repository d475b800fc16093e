// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <vector>

#include "platform/process_list.h"

namespace tunewell::testing {

// A made-up process table: lists what the test put in and records what
// would have been ended, touching no real process.
class FakeProcessTable : public platform::ProcessTable {
public:
    std::vector<platform::ProcessInfo> Snapshot() const override { return processes; }
    bool End(std::int32_t id) override {
        ended.push_back(id);
        return true;
    }
    std::vector<platform::ProcessInfo> processes;
    std::vector<std::int32_t> ended;
};

}  // namespace tunewell::testing
