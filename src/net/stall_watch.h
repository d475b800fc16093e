// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <chrono>
#include <cstdint>
#include <deque>
#include <utility>

namespace tunewell::net {

// Tells a stalled transfer: fewer than `minBytes` received within the last
// `window` of waiting. A server that sends nothing and one that drips a
// byte now and then are both stalled. Time is supplied by the caller, so
// time it spends in its own handlers can be left out.
class StallWatch {
public:
    using Duration = std::chrono::steady_clock::duration;

    StallWatch(Duration window, std::int64_t minBytes);

    // Records that `waited` more time passed and that `received` bytes have
    // arrived in all. True once the window is full and held too few bytes.
    bool Update(Duration waited, std::int64_t received);

private:
    Duration window_;
    std::int64_t minBytes_;
    Duration now_{};
    // (time, bytes) at every change of the count, oldest first; the front is
    // the last change at or before the window's start.
    std::deque<std::pair<Duration, std::int64_t>> changes_;
};

}  // namespace tunewell::net
