// SPDX-License-Identifier: GPL-3.0-or-later
#include "download/run_progress.h"

#include <algorithm>
#include <cmath>

namespace tunewell::download {

void RunProgress::Update(const std::vector<transfer::TransferBatch::Progress>& running) {
    for (const auto& song : running) {
        const double share = song.total > 0 ? static_cast<double>(song.bytes) / static_cast<double>(song.total) : 0.0;
        running_[song.id] = std::clamp(share, 0.0, 1.0);
    }
}

void RunProgress::Ended(int id) {
    running_.erase(id);
    ended_ = std::min(ended_ + 1, songs_);
}

int RunProgress::Percent() const {
    double done = static_cast<double>(ended_);
    for (const auto& [id, share] : running_) done += share;
    return static_cast<int>(std::floor(std::min(done, static_cast<double>(songs_)) * 100.0 / static_cast<double>(songs_)));
}

}  // namespace tunewell::download
