// SPDX-License-Identifier: GPL-3.0-or-later
#include "download/retry_wait.h"

#include <algorithm>
#include <thread>

#include "net/wait_pump.h"

namespace tunewell::download {
namespace {

constexpr std::chrono::milliseconds kPumpInterval{40};
constexpr int kMaxBackoffSeconds = 60;

}  // namespace

bool IsPassingFailure(const transfer::TransferFailure& failure) {
    using Cause = transfer::TransferFailure::Cause;
    switch (failure.cause) {
        case Cause::kNetwork:
        case Cause::kTimeout:
        case Cause::kStall: return true;
        case Cause::kHttpStatus: return failure.status == 429 || (failure.status >= 500 && failure.status < 600);
        default: return false;
    }
}

std::chrono::milliseconds RetryDelay(int retry, int retryAfter) {
    if (retryAfter >= 0 && retryAfter <= kMaxRetryAfterSeconds) return std::chrono::seconds(retryAfter);
    int seconds = 1;
    for (int k = 1; k < retry && seconds < kMaxBackoffSeconds; ++k) seconds *= 2;
    return std::chrono::seconds(std::min(seconds, kMaxBackoffSeconds));
}

std::string RetryText(int retry) { return "第" + std::to_string(retry) + "次重试…"; }

RetryClock SystemRetryClock() {
    return {[] { return std::chrono::steady_clock::now(); },
            [](std::chrono::milliseconds duration) { std::this_thread::sleep_for(duration); }};
}

bool WaitForRetry(std::chrono::milliseconds delay, const std::function<bool()>& goOn, const RetryClock& clock) {
    const auto end = clock.now() + delay;
    for (;;) {
        net::RunWaitPump(net::WaitKind::kTransfer);
        if (!goOn()) return false;
        const auto now = clock.now();
        if (now >= end) return true;
        clock.sleep(std::min(kPumpInterval, std::chrono::duration_cast<std::chrono::milliseconds>(end - now) +
                                                std::chrono::milliseconds(1)));
    }
}

}  // namespace tunewell::download
