// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <atomic>
#include <chrono>
#include <cstddef>
#include <mutex>

namespace tunewell::demo {

// A distant link laid over the loopback connections of a server: a round
// trip before a new connection's first request is read (the connection's
// set-up) and before every reply (the request's way out and the reply's
// way back), a rate for each connection and a line rate all connections
// share. Zero values leave that part unshaped.
struct LinkShape {
    std::chrono::milliseconds roundTrip{0};
    double connectionBytesPerSecond = 0;
    double lineBytesPerSecond = 0;

    bool Shaped() const {
        return roundTrip.count() > 0 || connectionBytesPerSecond > 0 || lineBytesPerSecond > 0;
    }
};

// Paces the bytes of every connection of one server along its LinkShape.
// Thread-safe: each connection thread calls it with its own clock.
class LinkPacer {
public:
    using Clock = std::chrono::steady_clock;

    explicit LinkPacer(const LinkShape& shape) : shape_(shape) {}

    const LinkShape& Shape() const { return shape_; }

    // The largest piece Send should pace at once: small enough that
    // connections sharing the line take turns finely.
    static constexpr std::size_t kSlice = 16 * 1024;

    // Reserves the link for `bytes` more of the connection whose own clock
    // is `connectionFree` (the time its previous piece has gone through),
    // then sleeps until they have gone through. False when `stopping` was
    // set while it waited.
    bool Pace(Clock::time_point& connectionFree, std::size_t bytes, const std::atomic<bool>& stopping);

    // Sleeps one round trip; false when `stopping` was set meanwhile.
    bool RoundTrip(const std::atomic<bool>& stopping) const;

private:
    static bool SleepUntil(Clock::time_point when, const std::atomic<bool>& stopping);

    const LinkShape shape_;
    std::mutex mutex_;
    Clock::time_point lineFree_{};
};

}  // namespace tunewell::demo
