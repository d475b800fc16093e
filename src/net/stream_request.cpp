// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/stream_request.h"

#include "net/easy_factory.h"
#include "net/request_group.h"

#include <curl/curl.h>

namespace tunewell::net {
namespace {

// How long the body may flow before the wait step gets its turn: well
// inside the 50 ms between two steps.
constexpr std::chrono::milliseconds kBodySlice{25};

}  // namespace
}  // namespace tunewell::net

namespace tunewell::net {

StreamRequest::StreamRequest(const std::string& url, const RequestPolicy& policy, std::int64_t rangeFrom,
                             const std::vector<std::string>& headers)
    : policy_(policy), easy_(NewEasy(url, policy)), stall_(policy.stall, policy.stallBytes) {
    if (!easy_) outcome_ = Failure::kRefusedAddress;
    if (!easy_) return;
    CURL* easy = easy_.get();
    curl_easy_setopt(easy, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &StreamRequest::OnHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &StreamRequest::OnWrite);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    SetRateLimit(policy.maxBytesPerSecond);
    if (rangeFrom > 0) {
        range_ = std::to_string(rangeFrom) + "-";
        curl_easy_setopt(easy, CURLOPT_RANGE, range_.c_str());
    }
    for (const std::string& line : headers) {
        curl_slist* grown = curl_slist_append(headers_.get(), line.c_str());
        if (grown == nullptr) {
            easy_.reset();  // a request without its headers is not sent
            outcome_ = Failure::kTransport;
            return;
        }
        headers_.release();
        headers_.reset(grown);
    }
    if (headers_) curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers_.get());
}

std::size_t StreamRequest::OnHeader(char* data, std::size_t, std::size_t size, void* self) {
    static_cast<StreamRequest*>(self)->receiver_->OnHeaderLine(std::string_view(data, size));
    return size;
}

std::size_t StreamRequest::OnWrite(char* data, std::size_t, std::size_t size, void* self) {
    auto& request = *static_cast<StreamRequest*>(self);
    if (!request.resuming_ &&
        (std::chrono::steady_clock::now() - request.sliceStart_ > kBodySlice || request.OverRate())) {
        request.paused_ = true;
        return CURL_WRITEFUNC_PAUSE;  // libcurl keeps the bytes and offers them again
    }
    if (!request.receiver_->OnBody(data, size)) {
        request.refused_ = true;
        return 0;  // ends the transfer with a write error
    }
    request.received_ += static_cast<std::int64_t>(size);
    return size;
}

Failure StreamRequest::Run(StreamReceiver& receiver) {
    RequestGroup group;
    if (!group.Add(*this, receiver)) return outcome_;
    while (group.Round().empty()) {
    }
    return outcome_;
}

void StreamRequest::Begin(StreamReceiver& receiver) {
    receiver_ = &receiver;
    sliceStart_ = std::chrono::steady_clock::now();
}

bool StreamRequest::Stalled(std::chrono::steady_clock::duration waited) {
    waited_ += waited;
    return stall_.Update(waited, received_);
}

bool StreamRequest::OutOfTime() const { return policy_.total.count() > 0 && waited_ >= policy_.total; }

bool StreamRequest::Wake() {
    const bool go = receiver_->OnWait();
    if (paused_ && go && !OverRate()) {
        paused_ = false;
        // Delivers the kept bytes now (one buffer at most), whatever the
        // slice: they were received already.
        resuming_ = true;
        curl_easy_pause(easy_.get(), CURLPAUSE_CONT);
        resuming_ = false;
    }
    return go;
}

void StreamRequest::StartSlice(std::chrono::steady_clock::time_point start) { sliceStart_ = start; }

void StreamRequest::Finish(End end, int code) {
    if (end == End::kStalled) {
        outcome_ = Failure::kStall;
    } else if (end == End::kTimedOut) {
        outcome_ = Failure::kTimeout;
    } else if (end == End::kStopped || refused_) {
        outcome_ = Failure::kAborted;
    } else {
        switch (code) {
            case CURLE_OK: outcome_ = Failure::kNone; break;
            case CURLE_HTTP_RETURNED_ERROR: outcome_ = Failure::kHttpStatus; break;
            case CURLE_OPERATION_TIMEDOUT: outcome_ = Failure::kTimeout; break;
            case CURLE_FILESIZE_EXCEEDED: outcome_ = Failure::kSizeCap; break;
            default: outcome_ = Failure::kTransport; break;
        }
    }
}

void StreamRequest::SetRateLimit(std::int64_t bytesPerSecond) {
    rate_ = bytesPerSecond > 0 ? bytesPerSecond : 0;
    rateStart_ = std::chrono::steady_clock::now();
    rateBase_ = received_;
}

bool StreamRequest::OverRate() const {
    if (rate_ == 0) return false;
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - rateStart_).count();
    return received_ - rateBase_ >= rate_ * elapsed / 1000;
}

long StreamRequest::Status() const {
    long status = 0;
    if (easy_) curl_easy_getinfo(easy_.get(), CURLINFO_RESPONSE_CODE, &status);
    return status;
}

std::int64_t StreamRequest::ContentLength() const {
    curl_off_t length = -1;
    if (easy_) curl_easy_getinfo(easy_.get(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    return length;
}

}  // namespace tunewell::net
