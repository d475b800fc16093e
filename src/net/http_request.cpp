// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/http_request.h"

#include "net/drive.h"
#include "net/easy_factory.h"

namespace tunewell::net {
namespace {

struct BodySink {
    std::string* text;
    std::size_t cap;  // 0: none
    CURL* easy = nullptr;  // set for the body: its announced length sizes the buffer
    bool overflowed = false;
};

// Room for the whole announced body at once, so a large page is never
// copied while it grows (growing by doubling would hold up to twice it).
void ReserveAnnounced(BodySink& sink) {
    curl_off_t length = -1;
    if (curl_easy_getinfo(sink.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK) return;
    if (length <= 0 || (sink.cap > 0 && static_cast<std::size_t>(length) > sink.cap)) return;
    sink.text->reserve(static_cast<std::size_t>(length));
}

std::size_t Collect(char* data, std::size_t size, std::size_t count, void* target) {
    auto& sink = *static_cast<BodySink*>(target);
    const std::size_t bytes = size * count;
    if (sink.cap > 0 && sink.text->size() + bytes > sink.cap) {
        sink.overflowed = true;
        return 0;  // ends the transfer with a write error
    }
    if (sink.easy != nullptr && sink.text->empty()) ReserveAnnounced(sink);
    sink.text->append(data, bytes);
    return bytes;
}

CurlList HeaderLines(const std::vector<std::string>& lines, bool& ok) {
    ok = true;
    curl_slist* list = nullptr;
    for (const std::string& line : lines) {
        curl_slist* grown = curl_slist_append(list, line.c_str());
        if (grown == nullptr) {
            ok = false;
            break;
        }
        list = grown;
    }
    return CurlList(list);
}

Failure FromCurl(CURLcode code, const BodySink& sink) {
    switch (code) {
        case CURLE_OK: return Failure::kNone;
        case CURLE_OPERATION_TIMEDOUT: return Failure::kTimeout;
        case CURLE_FILESIZE_EXCEEDED: return Failure::kSizeCap;
        case CURLE_WRITE_ERROR: return sink.overflowed ? Failure::kSizeCap : Failure::kTransport;
        case CURLE_UNSUPPORTED_PROTOCOL: return Failure::kRefusedAddress;
        default: return Failure::kTransport;
    }
}

}  // namespace

HttpResponse Perform(const HttpRequest& request) {
    HttpResponse response;
    CurlEasy easy = NewEasy(request.url, request.policy);
    if (!easy) {
        response.failure = Failure::kRefusedAddress;
        return response;
    }
    bool listOk = true;
    const CurlList headers = HeaderLines(request.headers, listOk);
    if (!listOk) {
        response.failure = Failure::kTransport;
        return response;
    }
    CURL* handle = easy.get();
    BodySink body{&response.body, request.policy.maxBody, handle};
    BodySink headerText{&response.headers, request.policy.maxBody};
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &Collect);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &body);
    if (request.keepHeaders) {
        curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, &Collect);
        curl_easy_setopt(handle, CURLOPT_HEADERDATA, &headerText);
    }
    if (headers) curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get());
    if (request.postBody) {
        curl_easy_setopt(handle, CURLOPT_POST, 1L);
        curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE,
                         static_cast<curl_off_t>(request.postBody->size()));
        curl_easy_setopt(handle, CURLOPT_POSTFIELDS, request.postBody->data());
    } else {
        curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L);
    }
    const std::optional<WaitKind> pump = request.pump;
    // The step this request belongs to, if the user may abandon it.
    const AbandonableWait* step = pump == WaitKind::kPage ? AbandonableWait::Current() : nullptr;
    const DriveResult driven = Drive(
        handle, request.policy, [&] { return static_cast<std::int64_t>(response.body.size()); },
        [pump, step] {
            if (!pump) return true;
            if (step != nullptr && step->Abandoned()) return false;
            RunWaitPump(*pump);
            return !(*pump == WaitKind::kPage && (PageWaitsStopped() || (step != nullptr && step->Abandoned())));
        });
    if (driven.stalled) {
        response.failure = Failure::kStall;
    } else if (driven.timedOut) {
        response.failure = Failure::kTimeout;
    } else if (driven.stopped) {
        response.failure = Failure::kAborted;
    } else {
        response.failure = FromCurl(driven.code, body);
    }
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &response.status);
    if (!response.Ok()) {
        response.body.clear();
        response.body.shrink_to_fit();
        return response;
    }
    char* location = nullptr;
    if (curl_easy_getinfo(handle, CURLINFO_REDIRECT_URL, &location) == CURLE_OK && location != nullptr)
        response.redirectUrl = location;
    return response;
}

}  // namespace tunewell::net
