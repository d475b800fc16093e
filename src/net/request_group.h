// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>
#include <vector>

#include "net/curl_easy.h"

namespace tunewell::net {

class StreamRequest;
class StreamReceiver;

// Streamed requests driven side by side on the calling thread through one
// libcurl multi handle (songs downloaded side by side; a single transfer is
// a group of one). Connections come from, and go back to, the process's
// connection cache.
//
// The owner calls Round() again and again: each round waits for any of the
// requests (at most kWaitStep), lets libcurl move every one on, ends those
// that finished, stalled or used up their overall limit, runs each running request's wait step
// (StreamReceiver::OnWait) and then the owner's step once. A request whose
// wait step or body callback refuses ends as aborted at that round.
//
// Requests and receivers are borrowed: each must outlive its time in the
// group. A receiver may, from inside its callbacks, abort (refuse) but must
// not remove or destroy requests; the owner removes ended ones itself by
// reading Round's result.
class RequestGroup {
public:
    RequestGroup();
    // Ends every request still in the group (they count as aborted).
    ~RequestGroup();
    RequestGroup(const RequestGroup&) = delete;
    RequestGroup& operator=(const RequestGroup&) = delete;

    // Starts `request` feeding `receiver`. False when the request has no
    // handle (a refused address) or libcurl will not take it: it is then
    // not in the group and its Outcome() tells why.
    bool Add(StreamRequest& request, StreamReceiver& receiver);

    // One round as described above. `step` runs once, after the requests'
    // wait steps. Only the time a round spends waiting for the network
    // counts towards a request's stall rule and overall limit (not the wait
    // steps, `step`, or the owner's work between rounds). Returns the requests that ended in
    // this round; each has left the group and has its Outcome().
    std::vector<StreamRequest*> Round(const std::function<void()>& step = {});

    // How many requests are in the group.
    std::size_t Size() const { return requests_.size(); }

private:
    void End(StreamRequest* request, std::vector<StreamRequest*>& ended);
    StreamRequest* Find(CURL* easy) const;

    CURLM* multi_;
    std::vector<StreamRequest*> requests_;
    bool fresh_ = false;  // a request was added: perform at once, no wait
};

}  // namespace tunewell::net
