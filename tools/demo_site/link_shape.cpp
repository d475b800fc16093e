// SPDX-License-Identifier: GPL-3.0-or-later
#include "demo_site/link_shape.h"

#include <algorithm>
#include <thread>

namespace tunewell::demo {
namespace {

LinkPacer::Clock::duration TimeFor(std::size_t bytes, double bytesPerSecond) {
    if (bytesPerSecond <= 0) return {};
    return std::chrono::duration_cast<LinkPacer::Clock::duration>(
        std::chrono::duration<double>(static_cast<double>(bytes) / bytesPerSecond));
}

}  // namespace

bool LinkPacer::SleepUntil(Clock::time_point when, const std::atomic<bool>& stopping) {
    // Short steps, so a stopping server is not held up by a slow link.
    constexpr auto kStep = std::chrono::milliseconds(20);
    for (;;) {
        if (stopping.load()) return false;
        const Clock::time_point now = Clock::now();
        if (now >= when) return true;
        std::this_thread::sleep_for(std::min<Clock::duration>(when - now, kStep));
    }
}

bool LinkPacer::Pace(Clock::time_point& connectionFree, std::size_t bytes, const std::atomic<bool>& stopping) {
    Clock::time_point done;
    {
        // A piece starts when both its connection and the line are free and
        // holds each for as long as its bytes take at that one's rate.
        std::lock_guard<std::mutex> lock(mutex_);
        const Clock::time_point start = std::max({Clock::now(), connectionFree, lineFree_});
        lineFree_ = start + TimeFor(bytes, shape_.lineBytesPerSecond);
        connectionFree = start + TimeFor(bytes, shape_.connectionBytesPerSecond);
        done = std::max(lineFree_, connectionFree);
    }
    return SleepUntil(done, stopping);
}

bool LinkPacer::RoundTrip(const std::atomic<bool>& stopping) const {
    if (shape_.roundTrip.count() <= 0) return !stopping.load();
    return SleepUntil(Clock::now() + shape_.roundTrip, stopping);
}

}  // namespace tunewell::demo
