// SPDX-License-Identifier: GPL-3.0-or-later
// Which failures pass, how long a retry waits, and the wait itself on a
// fake clock: the pump runs at least every 50 ms and a stop ends it.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "download/retry_wait.h"
#include "net/wait_pump.h"
#include "transfer/reply_headers.h"

namespace tunewell::download {
namespace {

using Cause = transfer::TransferFailure::Cause;
using std::chrono::milliseconds;
using std::chrono::seconds;

TEST(RetryWaitTest, OnlyTheNetworkAndServerTroubleArePassing) {
    for (const Cause cause : {Cause::kNetwork, Cause::kTimeout, Cause::kStall})
        EXPECT_TRUE(IsPassingFailure({cause, 0}));
    for (const long status : {429L, 500L, 502L, 503L, 504L, 599L})
        EXPECT_TRUE(IsPassingFailure({Cause::kHttpStatus, status})) << status;
    for (const long status : {300L, 302L, 304L, 400L, 403L, 404L, 410L, 600L})
        EXPECT_FALSE(IsPassingFailure({Cause::kHttpStatus, status})) << status;
    for (const Cause cause : {Cause::kNone, Cause::kAborted, Cause::kRefusedAddress, Cause::kFolder, Cause::kDiskFull,
                              Cause::kWrite, Cause::kTooLarge, Cause::kNotAudio, Cause::kEmpty, Cause::kOverlong})
        EXPECT_FALSE(IsPassingFailure({cause, 0}));
}

TEST(RetryWaitTest, TheWaitDoublesUpToAMinuteAndHonoursAShortRetryAfter) {
    EXPECT_EQ(RetryDelay(1, -1), seconds(1));
    EXPECT_EQ(RetryDelay(2, -1), seconds(2));
    EXPECT_EQ(RetryDelay(3, -1), seconds(4));
    EXPECT_EQ(RetryDelay(6, -1), seconds(32));
    EXPECT_EQ(RetryDelay(7, -1), seconds(60));
    EXPECT_EQ(RetryDelay(10, -1), seconds(60));
    EXPECT_EQ(RetryDelay(3, 0), seconds(0));
    EXPECT_EQ(RetryDelay(1, 60), seconds(60));
    EXPECT_EQ(RetryDelay(2, 61), seconds(2));  // too long: the own schedule
    EXPECT_EQ(RetryText(3), "第3次重试…");
}

TEST(RetryWaitTest, RetryAfterIsReadInSecondsOnly) {
    const auto read = [](const std::string& line) {
        transfer::ReplyHeaders headers;
        headers.Add(line.data(), line.size());
        return transfer::RetryAfterSeconds(headers);
    };
    EXPECT_EQ(read("Retry-After: 5\r\n"), 5);
    EXPECT_EQ(read("retry-after:0\r\n"), 0);
    EXPECT_EQ(read("Retry-After: 999999999\r\n"), 86400);
    EXPECT_EQ(read("Retry-After: Wed, 21 Oct 2026 07:28:00 GMT\r\n"), -1);
    EXPECT_EQ(read("Retry-After: -3\r\n"), -1);
    EXPECT_EQ(read("Retry-After: 99999999999999999999\r\n"), -1);
    EXPECT_EQ(read("Content-Length: 5\r\n"), -1);
}

// A clock that only moves when the wait sleeps.
struct FakeClock {
    std::chrono::steady_clock::time_point now{};
    std::vector<milliseconds> sleeps;
    RetryClock Clock() {
        return {[this] { return now; }, [this](milliseconds step) {
                    sleeps.push_back(step);
                    now += step;
                }};
    }
};

TEST(RetryWaitTest, TheWaitPumpsOftenAndEndsWhenTheRunStops) {
    int pumps = 0;
    const net::ScopedWaitPump pump([&](net::WaitKind) { ++pumps; });
    FakeClock clock;
    EXPECT_TRUE(WaitForRetry(seconds(2), [] { return true; }, clock.Clock()));
    EXPECT_GE(clock.now.time_since_epoch(), seconds(2));
    EXPECT_LT(clock.now.time_since_epoch(), seconds(2) + milliseconds(50));
    for (const milliseconds step : clock.sleeps) EXPECT_LE(step, milliseconds(50));
    EXPECT_EQ(pumps, static_cast<int>(clock.sleeps.size()) + 1);

    // A stop seen in the pump ends the wait before any further sleep.
    FakeClock stopped;
    bool going = true;
    pumps = 0;
    const net::ScopedWaitPump stopping([&](net::WaitKind) { going = ++pumps < 3; });
    EXPECT_FALSE(WaitForRetry(seconds(60), [&] { return going; }, stopped.Clock()));
    EXPECT_EQ(pumps, 3);
    EXPECT_EQ(stopped.sleeps.size(), 2u);
}

}  // namespace
}  // namespace tunewell::download
