// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <chrono>
#include <functional>
#include <string>

#include "transfer/file_transfer.h"

namespace tunewell::download {

// Whether a song that failed so may succeed when tried again a little
// later: the connection refused or broken off, a stall, a time-out, a
// server error (5xx) or too many requests (429). A reply the server means
// (404, 403, a page instead of a song), the disk, the folder, the address
// and a pause never pass.
bool IsPassingFailure(const transfer::TransferFailure& failure);

// The longest Retry-After the run waits for; a server asking for more gets
// the run's own schedule instead.
inline constexpr int kMaxRetryAfterSeconds = 60;

// The wait before retry number `retry` (1 for the first): 1, 2, 4, ...
// seconds (at most 60), or the server's Retry-After (`retryAfter`
// seconds, -1 none) when it is no more than kMaxRetryAfterSeconds.
std::chrono::milliseconds RetryDelay(int retry, int retryAfter);

// The status text of retry number `retry`: "第2次重试…".
std::string RetryText(int retry);

// The time source and the sleep of WaitForRetry (tests give a fake clock).
struct RetryClock {
    std::function<std::chrono::steady_clock::time_point()> now;
    std::function<void(std::chrono::milliseconds)> sleep;
};
RetryClock SystemRetryClock();

// Waits `delay`, running the process's wait pump (net::RunWaitPump) at
// least every 50 ms, so a pause or an interrupt is seen. False as soon as
// `goOn` says no (checked after every pump), true once the delay is over.
bool WaitForRetry(std::chrono::milliseconds delay, const std::function<bool()>& goOn,
                  const RetryClock& clock = SystemRetryClock());

}  // namespace tunewell::download
