// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/request_group.h"

#include <algorithm>

#include "net/drive.h"
#include "net/process_share.h"
#include "net/stream_request.h"

namespace tunewell::net {

using Clock = std::chrono::steady_clock;

RequestGroup::RequestGroup() : multi_(curl_multi_init()) {
    if (multi_ != nullptr) curl_multi_setopt(multi_, CURLMOPT_MAXCONNECTS, kIdleConnections);
}

RequestGroup::~RequestGroup() {
    // Removing a transfer that has not finished closes its connection
    // rather than handing a half-read reply to the next request.
    for (StreamRequest* request : requests_) {
        curl_multi_remove_handle(multi_, request->Easy());
        request->Finish(StreamRequest::End::kStopped, CURLE_OK);
    }
    if (multi_ != nullptr) curl_multi_cleanup(multi_);
}

bool RequestGroup::Add(StreamRequest& request, StreamReceiver& receiver) {
    if (request.Easy() == nullptr) return false;
    if (multi_ == nullptr || curl_multi_add_handle(multi_, request.Easy()) != CURLM_OK) {
        request.outcome_ = Failure::kTransport;
        return false;
    }
    request.Begin(receiver);
    requests_.push_back(&request);
    fresh_ = true;
    return true;
}

StreamRequest* RequestGroup::Find(CURL* easy) const {
    for (StreamRequest* request : requests_) {
        if (request->Easy() == easy) return request;
    }
    return nullptr;
}

void RequestGroup::End(StreamRequest* request, std::vector<StreamRequest*>& ended) {
    curl_multi_remove_handle(multi_, request->Easy());
    requests_.erase(std::find(requests_.begin(), requests_.end(), request));
    ended.push_back(request);
}

std::vector<StreamRequest*> RequestGroup::Round(const std::function<void()>& step) {
    std::vector<StreamRequest*> ended;
    if (requests_.empty()) {
        if (step) step();
        return ended;
    }
    // Only the time spent waiting here counts towards the stall rule and
    // the overall limit: not the wait steps, nor what the owner does
    // between rounds (preparing the next song, say), while which the bytes
    // wait in the socket.
    const Clock::time_point roundStart = Clock::now();
    if (!fresh_) curl_multi_poll(multi_, nullptr, 0, static_cast<int>(kWaitStep.count()), nullptr);
    fresh_ = false;
    int running = 0;
    if (curl_multi_perform(multi_, &running) != CURLM_OK) {
        // The multi handle itself failed: nothing in it can go on.
        while (!requests_.empty()) {
            StreamRequest* request = requests_.front();
            request->Finish(StreamRequest::End::kFinished, CURLE_FAILED_INIT);
            End(request, ended);
        }
        return ended;
    }
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
        if (message->msg != CURLMSG_DONE) continue;
        StreamRequest* request = Find(message->easy_handle);
        if (request == nullptr) continue;
        request->Finish(StreamRequest::End::kFinished, message->data.result);
        End(request, ended);
    }
    const Clock::duration waited = Clock::now() - roundStart;
    for (StreamRequest* request : std::vector<StreamRequest*>(requests_)) {
        const bool stalled = request->Stalled(waited);
        if (!stalled && !request->OutOfTime()) continue;
        request->Finish(stalled ? StreamRequest::End::kStalled : StreamRequest::End::kTimedOut, CURLE_OK);
        End(request, ended);
    }
    // A wait step may make another request refuse, never leave the group,
    // so the copy stays valid.
    for (StreamRequest* request : std::vector<StreamRequest*>(requests_)) {
        if (request->Wake()) continue;
        request->Finish(StreamRequest::End::kStopped, CURLE_OK);
        End(request, ended);
    }
    if (step) step();
    // One slice for all, from here: the next round's reading of every
    // request together stays within it.
    const Clock::time_point sliceStart = Clock::now();
    for (StreamRequest* request : requests_) request->StartSlice(sliceStart);
    return ended;
}

}  // namespace tunewell::net
