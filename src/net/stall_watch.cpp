// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/stall_watch.h"

namespace tunewell::net {

StallWatch::StallWatch(Duration window, std::int64_t minBytes)
    : window_(window), minBytes_(minBytes) {
    changes_.emplace_back(Duration{}, 0);
}

bool StallWatch::Update(Duration waited, std::int64_t received) {
    now_ += waited;
    if (received != changes_.back().second) changes_.emplace_back(now_, received);
    if (now_ < window_) return false;
    const Duration start = now_ - window_;
    while (changes_.size() > 1 && changes_[1].first <= start) changes_.pop_front();
    return received - changes_.front().second < minBytes_;
}

}  // namespace tunewell::net
