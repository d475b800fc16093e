// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "net/curl_easy.h"
#include "net/request_policy.h"
#include "net/stall_watch.h"

namespace tunewell::net {

// Receives a streamed reply (a file transfer) piece by piece.
class StreamReceiver {
public:
    virtual ~StreamReceiver() = default;
    // Every header line of every reply, status lines included (a redirect's
    // too: a status line starts the next reply's headers).
    virtual void OnHeaderLine(std::string_view line) = 0;
    // A piece of the final reply's body; false ends the request.
    virtual bool OnBody(const char* data, std::size_t size) = 0;
    // Runs at least every 50 ms while the request waits, bytes or not;
    // false ends the request.
    virtual bool OnWait() = 0;
};

// A GET whose body goes to a receiver instead of memory (no body cap
// unless the policy sets one). A final status of 400 or more fails. Run it
// alone (Run) or side by side with others in a RequestGroup.
class StreamRequest {
public:
    // `rangeFrom` > 0 asks for the body from that byte on ("Range:
    // bytes=N-"); `headers` are extra "Name: value" lines.
    StreamRequest(const std::string& url, const RequestPolicy& policy, std::int64_t rangeFrom = 0,
                  const std::vector<std::string>& headers = {});

    StreamRequest(const StreamRequest&) = delete;
    StreamRequest& operator=(const StreamRequest&) = delete;

    // Sends the request and feeds the reply to `receiver` until it ends
    // (a group of one). kNone only when the whole body arrived; the
    // receiver's refusals are kAborted, an error status kHttpStatus. Call
    // once, and not while the request is in a group.
    Failure Run(StreamReceiver& receiver);

    // How the request ended (Run's result); kAborted before it ended.
    Failure Outcome() const { return outcome_; }

    // Changes the request's receive limit (bytes a second, 0: none), also
    // while it runs: songs side by side share one limit as they come and go.
    // The body is held back (paused) while more arrived since the limit was
    // set than it allows, and let go at a wait step once it allows more;
    // libcurl's own limit would let a whole burst of reads through at once.
    void SetRateLimit(std::int64_t bytesPerSecond);

    // The status of the reply being received (0 before one arrived), and
    // its announced body length (-1 when it announced none). Valid inside
    // the receiver's calls and after the request ended.
    long Status() const;
    std::int64_t ContentLength() const;

private:
    friend class RequestGroup;

    // How the group saw the request end.
    enum class End { kFinished, kStalled, kTimedOut, kStopped };

    // For RequestGroup: the handle (nullptr for a refused address); the
    // start of a run feeding `receiver`; the stall rule after `waited`
    // more time of waiting; whether that waiting has used up the policy's
    // overall limit; the wait step (false: stop); the end.
    CURL* Easy() const { return easy_.get(); }
    void Begin(StreamReceiver& receiver);
    bool Stalled(std::chrono::steady_clock::duration waited);
    bool OutOfTime() const;
    bool Wake();
    void StartSlice(std::chrono::steady_clock::time_point start);
    void Finish(End end, int code);  // `code`: libcurl's CURLcode

    const RequestPolicy policy_;
    CurlEasy easy_;
    CurlList headers_;
    std::string range_;
    StreamReceiver* receiver_ = nullptr;
    std::int64_t received_ = 0;
    bool refused_ = false;
    Failure outcome_ = Failure::kAborted;
    StallWatch stall_;
    std::chrono::steady_clock::duration waited_{};  // outside the wait steps
    // A fast sender keeps libcurl reading inside one perform call for a
    // long time; the body is paused once a slice of time is used up, so the
    // wait step still comes round in time, and resumed after it. The
    // requests of a group share one slice, which starts after each round's
    // step, so several fast requests together stay within it.
    std::chrono::steady_clock::time_point sliceStart_{};
    bool paused_ = false;
    // The receive limit: bytes a second (0: none), counted from rateStart_,
    // when received_ was rateBase_.
    std::int64_t rate_ = 0;
    std::chrono::steady_clock::time_point rateStart_{};
    std::int64_t rateBase_ = 0;
    bool OverRate() const;
    bool resuming_ = false;  // delivering the bytes kept at a pause

    static std::size_t OnHeader(char* data, std::size_t, std::size_t size, void* self);
    static std::size_t OnWrite(char* data, std::size_t, std::size_t size, void* self);
};

}  // namespace tunewell::net
