// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <chrono>
#include <cstdint>
#include <functional>

#include <curl/curl.h>

#include "net/request_policy.h"

namespace tunewell::net {

// The longest a request waits without calling its wait step back.
inline constexpr std::chrono::milliseconds kWaitStep{50};

// How a driven request ended.
struct DriveResult {
    CURLcode code = CURLE_OK;  // libcurl's result when it finished by itself
    bool stalled = false;      // ended by the stall rule
    bool timedOut = false;     // ended by the overall limit of the policy
    bool stopped = false;      // ended because the wait step returned false
};

// Runs one easy handle to its end on the calling thread through libcurl's
// multi interface, waking at least every kWaitStep whether or not bytes
// arrive, and calling `step` after every wake-up; `step` returning false
// ends the request. `received` gives the body bytes so far, for the stall
// rule of `policy`. Neither the stall rule nor the overall limit counts the
// time spent inside `step`: a window step may run another request or a
// modal dialog for a while, and the waiting request must not fail for it.
// The caller keeps the handle; it may be reused for information afterwards.
DriveResult Drive(CURL* easy, const RequestPolicy& policy,
                  const std::function<std::int64_t()>& received,
                  const std::function<bool()>& step);

}  // namespace tunewell::net
