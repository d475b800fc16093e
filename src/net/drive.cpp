// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/drive.h"

#include <memory>

#include "net/process_share.h"
#include "net/stall_watch.h"

namespace tunewell::net {
namespace {

using Clock = std::chrono::steady_clock;

// A multi handle holding one easy handle, released on every path.
class SingleMulti {
public:
    explicit SingleMulti(CURL* easy) : multi_(curl_multi_init()), easy_(easy) {
        if (multi_ == nullptr) return;
        curl_multi_setopt(multi_, CURLMOPT_MAXCONNECTS, kIdleConnections);
        if (curl_multi_add_handle(multi_, easy_) != CURLM_OK) {
            curl_multi_cleanup(multi_);
            multi_ = nullptr;
        }
    }
    ~SingleMulti() {
        if (multi_ == nullptr) return;
        curl_multi_remove_handle(multi_, easy_);
        curl_multi_cleanup(multi_);
    }
    SingleMulti(const SingleMulti&) = delete;
    SingleMulti& operator=(const SingleMulti&) = delete;

    CURLM* get() const { return multi_; }

    // The easy handle's result once it has finished.
    bool Finished(CURLcode& code) const {
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == easy_) {
                code = message->data.result;
                return true;
            }
        }
        return false;
    }

private:
    CURLM* multi_;
    CURL* easy_;
};

}  // namespace

DriveResult Drive(CURL* easy, const RequestPolicy& policy,
                  const std::function<std::int64_t()>& received,
                  const std::function<bool()>& step) {
    DriveResult result;
    SingleMulti multi(easy);
    if (multi.get() == nullptr) {
        result.code = CURLE_OUT_OF_MEMORY;
        return result;
    }
    StallWatch stall(policy.stall, policy.stallBytes);
    Clock::time_point stepLeft = Clock::now();
    Clock::duration waited{};  // outside `step`, for the overall limit
    for (;;) {
        int running = 0;
        const CURLMcode performed = curl_multi_perform(multi.get(), &running);
        if (performed != CURLM_OK) {
            result.code = CURLE_FAILED_INIT;
            return result;
        }
        if (multi.Finished(result.code)) return result;
        const Clock::time_point now = Clock::now();
        if (stall.Update(now - stepLeft, received())) {
            result.stalled = true;
            return result;
        }
        waited += now - stepLeft;
        if (policy.total.count() > 0 && waited >= policy.total) {
            result.timedOut = true;
            return result;
        }
        const bool go = step();
        stepLeft = Clock::now();
        if (!go) {
            result.stopped = true;
            return result;
        }
        curl_multi_poll(multi.get(), nullptr, 0, static_cast<int>(kWaitStep.count()), nullptr);
    }
}

}  // namespace tunewell::net
