// SPDX-License-Identifier: GPL-3.0-or-later
// The combined percent of songs side by side: every song weighs the same,
// an unknown length counts for nothing until the song ends, and the bar
// neither passes 100 nor goes back as songs end.
#include <gtest/gtest.h>

#include "download/run_progress.h"

namespace tunewell::download {
namespace {

using Progress = transfer::TransferBatch::Progress;

TEST(RunProgress, EverySongWeighsTheSame) {
    RunProgress progress(4);
    EXPECT_EQ(progress.Percent(), 0);
    const struct {
        const char* label;
        std::vector<Progress> running;
        std::vector<int> ended;
        int percent;
    } steps[] = {
        {"a small and a large song half-way", {{1, 50, 100}, {2, 5000, 10000}}, {}, 25},
        {"a third song without a length", {{3, 999, 0}}, {}, 25},
        {"more than announced counts as whole", {{1, 150, 100}}, {}, 37},
        {"the first ends", {}, {1}, 37},
        {"the lengthless one ends", {}, {3}, 62},
        {"the second and a song that never ran", {}, {2, 4}, 100},
        {"a stray report after the end", {}, {9}, 100},
    };
    for (const auto& step : steps) {
        progress.Update(step.running);
        for (int id : step.ended) progress.Ended(id);
        EXPECT_EQ(progress.Percent(), step.percent) << step.label;
    }
}

}  // namespace
}  // namespace tunewell::download
