// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>
#include <utility>

#include "net/wait_pump.h"

namespace tunewell::testing {

// Makes `step` what every wait of a transfer runs, as a window's pending
// events would be (empty: nothing); page waits run nothing. The pump is
// process-wide: a test that sets one ends with PumpTransfers(nullptr).
inline void PumpTransfers(std::function<void()> step) {
    if (!step) {
        net::SetWaitPump(nullptr);
        return;
    }
    net::SetWaitPump([step = std::move(step)](net::WaitKind kind) {
        if (kind == net::WaitKind::kTransfer) step();
    });
}

}  // namespace tunewell::testing
