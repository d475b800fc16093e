#include "net/stream_request.h"

#include "net/drive.h"
#include "net/easy_factory.h"

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
    : policy_(policy), easy_(NewEasy(url, policy)) {
    if (!easy_) return;
    CURL* easy = easy_.get();
    curl_easy_setopt(easy, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &StreamRequest::OnHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &StreamRequest::OnWrite);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    if (rangeFrom > 0) {
        range_ = std::to_string(rangeFrom) + "-";
        curl_easy_setopt(easy, CURLOPT_RANGE, range_.c_str());
    }
    for (const std::string& line : headers) {
        curl_slist* grown = curl_slist_append(headers_.get(), line.c_str());
        if (grown == nullptr) {
            easy_.reset();  // a request without its headers is not sent
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
    if (std::chrono::steady_clock::now() - request.sliceStart_ > kBodySlice) {
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
    if (!easy_) return Failure::kRefusedAddress;
    receiver_ = &receiver;
    sliceStart_ = std::chrono::steady_clock::now();
    const DriveResult driven = Drive(easy_.get(), policy_, [this] { return received_; }, [this, &receiver] {
        const bool go = receiver.OnWait();
        sliceStart_ = std::chrono::steady_clock::now();
        if (paused_ && go) {
            paused_ = false;
            curl_easy_pause(easy_.get(), CURLPAUSE_CONT);  // may deliver the kept bytes now
        }
        return go;
    });
    if (driven.stalled) return Failure::kStall;
    if (driven.timedOut) return Failure::kTimeout;
    if (driven.stopped || refused_) return Failure::kAborted;
    switch (driven.code) {
        case CURLE_OK: return Failure::kNone;
        case CURLE_HTTP_RETURNED_ERROR: return Failure::kHttpStatus;
        case CURLE_OPERATION_TIMEDOUT: return Failure::kTimeout;
        case CURLE_FILESIZE_EXCEEDED: return Failure::kSizeCap;
        default: return Failure::kTransport;
    }
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
