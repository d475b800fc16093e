// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/stall_watch.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace tunewell::net {
namespace {

using std::chrono::milliseconds;

// Feeds a watch with a 1 s window and a 1024-byte minimum one 100 ms step
// at a time; the bytes of each step come from `bytesAt`. The step (1-based)
// at which it first reports a stall, or 0 when it never does in 50 steps.
int FirstStalledStep(const std::function<std::int64_t(int)>& bytesAt) {
    StallWatch watch(milliseconds(1000), 1024);
    std::int64_t total = 0;
    for (int step = 1; step <= 50; ++step) {
        total += bytesAt(step);
        if (watch.Update(milliseconds(100), total)) return step;
    }
    return 0;
}

TEST(StallWatch, TooFewBytesWithinTheWindowIsAStall) {
    const struct {
        const char* label;
        std::function<std::int64_t(int)> bytesAt;
        int stalledAt;
    } cases[] = {
        {"silence", [](int) { return 0; }, 10},
        {"a byte per step", [](int) { return 1; }, 10},
        {"just under the minimum per window", [](int) { return 102; }, 10},
        {"the minimum per window", [](int step) { return step % 10 == 0 ? 1024 : 0; }, 0},
        {"steady flow", [](int) { return 200; }, 0},
        {"a burst, then silence", [](int step) { return step == 1 ? 5000 : 0; }, 11},
        {"flow that stops", [](int step) { return step <= 20 ? 4096 : 0; }, 30},
    };
    for (const auto& c : cases) EXPECT_EQ(FirstStalledStep(c.bytesAt), c.stalledAt) << c.label;
}

}  // namespace
}  // namespace tunewell::net
