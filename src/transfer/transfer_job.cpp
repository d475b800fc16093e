// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include "transfer/transfer_job.h"

#include <optional>
#include <utility>
#include <vector>

#include "platform/file_io.h"
#include "platform/free_space.h"

namespace tunewell::transfer {
namespace {

// libcurl's default 16 KiB receive buffer leaves more than half of the
// loopback throughput unused; 512 KiB keeps up with the curl tool.
constexpr long kReceiveBufferSize = 524288;
constexpr long kLimitedBufferMin = 1024;  // libcurl's smallest
constexpr long kMaxRedirects = 10;

TransferFailure::Cause CauseOf(net::Failure failure, long status) {
    using Cause = TransferFailure::Cause;
    switch (failure) {
        case net::Failure::kRefusedAddress: return Cause::kRefusedAddress;
        case net::Failure::kHttpStatus: return Cause::kHttpStatus;
        case net::Failure::kStall: return Cause::kStall;
        case net::Failure::kTimeout: return Cause::kTimeout;
        case net::Failure::kAborted: return Cause::kAborted;
        case net::Failure::kSizeCap: return Cause::kTooLarge;
        // A redirect that could not be followed (too many, another scheme)
        // ends on its 3xx.
        default: return status >= 300 ? Cause::kHttpStatus : Cause::kNetwork;
    }
}

bool IsSuccess(long status) { return status >= 200 && status < 300; }

bool NoSpace(int error) { return platform::IsDiskFull(error); }

}  // namespace

TransferJob::TransferJob(std::string source, std::string destination, bool song, const TransferLimits& limits,
                         FreeSpaceProbe freeSpace)
    : source_(std::move(source)),
      destination_(std::move(destination)),
      song_(song),
      limits_(limits),
      freeSpace_(std::move(freeSpace)),
      rate_(limits.bytesPerSecond) {}

TransferJob::~TransferJob() = default;

bool TransferJob::Start(net::RequestGroup& group) {
    part_ = std::make_unique<PartFile>(destination_, song_ ? PartFile::Mode::kResumable : PartFile::Mode::kFresh);
    if (!part_->IsOpen()) {
        Record(NoSpace(part_->Error()) ? TransferFailure::Cause::kDiskFull : TransferFailure::Cause::kFolder);
        return false;
    }
    targetName_ = destination_.substr(platform::NameStart(destination_));
    offered_ = written_ = part_->ResumableBytes(source_);
    return StartAttempt(group);
}

bool TransferJob::StartAttempt(net::RequestGroup& group) {
    net::RequestPolicy policy;
    policy.maxRedirects = kMaxRedirects;
    policy.connect = limits_.connect;
    policy.stall = limits_.stall;
    policy.stallBytes = limits_.stallBytes;
    // Streamed to disk, so only the owner's cap; libcurl then refuses a
    // reply announcing more before its first byte.
    policy.maxBody = limits_.maxBytes > 0 ? static_cast<std::size_t>(limits_.maxBytes) : 0;
    // libcurl holds back only between reads: a limited transfer reads in
    // small pieces, or a short song would arrive in one unlimited read.
    policy.receiveBuffer =
        rate_ > 0 ? std::clamp<long>(static_cast<long>(std::min<std::int64_t>(rate_ / 8, kReceiveBufferSize)),
                                     kLimitedBufferMin, kReceiveBufferSize)
                  : kReceiveBufferSize;
    policy.maxBytesPerSecond = rate_;
    std::vector<std::string> headers;
    if (offered_ > 0) {
        const std::string validator = IfRangeValue(*part_->Previous());
        if (!validator.empty()) headers.push_back("If-Range: " + validator);
    }
    request_ = std::make_unique<net::StreamRequest>(source_, policy, offered_, headers);
    if (group.Add(*request_, *this)) return true;
    Record(CauseOf(request_->Outcome(), 0));
    return false;
}

void TransferJob::Record(TransferFailure::Cause cause, long status) {
    if (failure_.cause == TransferFailure::Cause::kNone) failure_ = {cause, status};
}

void TransferJob::RecordWriting() {
    if (!NoSpace(part_->Error())) {
        Record(TransferFailure::Cause::kWrite);
        return;
    }
    // Kept, the bytes would hold the disk full and the next transfer would
    // only fill it again.
    Record(TransferFailure::Cause::kDiskFull);
    part_->Abandon();
}

void TransferJob::Refuse(TransferFailure::Cause cause, long status) {
    failed_ = true;
    Record(cause, status);
    part_->Abandon();
}

void TransferJob::SetRateLimit(std::int64_t bytesPerSecond) {
    rate_ = bytesPerSecond;
    if (request_) request_->SetRateLimit(bytesPerSecond);
}

TransferFailure TransferJob::Failure() const {
    if (failure_.cause == TransferFailure::Cause::kNone && Stopped()) return {TransferFailure::Cause::kAborted, 0};
    return failure_;
}

std::int64_t TransferJob::Total() const {
    // Only the final reply's body is written, so the announced length is
    // that reply's (none when it sent none), never a redirect's.
    const std::int64_t length = request_ ? request_->ContentLength() : announced_;
    return length > 0 ? base_ + length : 0;
}

// Decides, before the body's first byte, whether it continues the partial
// (a matching 206) or starts the file afresh, and whether a song may have
// it at all.
bool TransferJob::BeginBody(const net::StreamRequest& request) {
    begun_ = true;
    const long status = request.Status();
    if (song_ && !IsSuccess(status)) {  // the page of a redirect not followed
        Refuse(TransferFailure::Cause::kHttpStatus, status);
        return false;
    }
    if (status == 206) {
        const std::optional<ResumeRecord>& previous = part_->Previous();
        if (offered_ > 0 && previous && ContinuesPartial(headers_, *previous, offered_, request.ContentLength())) {
            const std::int64_t total = previous->total;
            if (part_->Begin(true, ResumeRecord{})) {
                base_ = offered_;
                end_ = total;
                return HasRoomFor(total - base_);
            }
        }
        restart_ = true;
        return false;
    }
    written_ = 0;
    if (!part_->Begin(false, RecordOf(headers_, source_, targetName_, request.ContentLength()))) {
        failed_ = true;
        RecordWriting();
        return false;
    }
    sniffing_ = song_ && IsHtmlType(headers_.Value("Content-Type"));
    return HasRoomFor(request.ContentLength());
}

bool TransferJob::HasRoomFor(std::int64_t length) {
    const std::string folder = part_->Folder();
    if (!song_ || length <= 0 || folder.empty()) return true;
    const std::optional<std::int64_t> free = freeSpace_ ? freeSpace_(folder) : platform::FreeSpaceIn(folder);
    if (!free || length <= *free) return true;
    // Nothing is written: the disk is not filled for a song that cannot fit.
    Refuse(TransferFailure::Cause::kDiskFull);
    return false;
}

bool TransferJob::SniffBody(const char* data, std::size_t size) {
    const BodyStart::Seen seen = bodyStart_.Feed(data, size);
    if (seen == BodyStart::Seen::kBlanksOnly) return true;
    sniffing_ = false;
    if (seen == BodyStart::Seen::kOther) return true;
    Refuse(TransferFailure::Cause::kNotAudio);
    return false;
}

// A song's body ended with a 2xx final status.
bool TransferJob::SongComplete(long status) {
    if (!begun_) {
        if (status == 204 || status == 205) {
            Refuse(TransferFailure::Cause::kHttpStatus, status);
        } else {
            Refuse(TransferFailure::Cause::kEmpty);
        }
        return false;
    }
    if (sniffing_) {  // an HTML reply of blanks only
        Refuse(TransferFailure::Cause::kNotAudio);
        return false;
    }
    if (end_ >= 0 && written_ < end_) {
        // A continued range without a length that ended early: as a
        // connection that broke off, its bytes stay for the next transfer.
        Record(TransferFailure::Cause::kNetwork);
        return false;
    }
    return true;
}

void TransferJob::OnHeaderLine(std::string_view line) { headers_.Add(line.data(), line.size()); }

// Whether the announced length, or `size` more bytes, would pass the cap:
// the job then fails and nothing it wrote stays.
bool TransferJob::OverCap(std::size_t size) {
    const std::int64_t cap = limits_.maxBytes;
    if (cap <= 0 || (Total() <= cap && written_ + static_cast<std::int64_t>(size) <= cap)) return false;
    failed_ = true;
    Record(TransferFailure::Cause::kTooLarge);
    part_->Abandon();
    return true;
}

bool TransferJob::OnBody(const char* data, std::size_t size) {
    if (Stopped()) return false;
    if (size == 0) return true;
    if (!begun_ && !BeginBody(*request_)) return false;
    if (OverCap(size)) return false;
    if (sniffing_ && !SniffBody(data, size)) return false;
    // Never a byte past the end of the file a continued range completes.
    if (end_ >= 0 && static_cast<std::int64_t>(size) > end_ - written_) {
        Refuse(TransferFailure::Cause::kOverlong);
        return false;
    }
    if (!part_->Write(data, size)) {
        failed_ = true;
        RecordWriting();
        return false;
    }
    written_ += static_cast<std::int64_t>(size);
    return true;
}

bool TransferJob::OnWait() {
    if (Stopped()) return false;
    // A copy: the step may replace the member.
    const std::function<bool()> step = onWait;
    return step ? step() : true;
}

TransferJob::State TransferJob::Ended(net::RequestGroup& group) {
    const std::unique_ptr<net::StreamRequest> request = std::move(request_);  // left the group
    announced_ = request->ContentLength();
    if (Stopped()) return State::kFailed;
    const long status = request->Status();
    // A partial the server will not continue (another version, or no range
    // of it any more) is fetched afresh.
    if (offered_ > 0 && (restart_ || status == 416)) {
        offered_ = base_ = written_ = 0;
        end_ = -1;
        begun_ = restart_ = false;
        announced_ = -1;
        headers_.Clear();
        return StartAttempt(group) ? State::kRunning : State::kFailed;
    }
    const bool redirect = status >= 300 && status < 400;  // one not followed
    if (request->Outcome() != net::Failure::kNone) {
        const TransferFailure::Cause cause = CauseOf(request->Outcome(), status);
        Record(cause, cause == TransferFailure::Cause::kHttpStatus ? status : 0);
        if (status == 429 || status == 503) failure_.retryAfter = RetryAfterSeconds(headers_);
        if (cause == TransferFailure::Cause::kTooLarge || (song_ && redirect)) part_->Abandon();
        return State::kFailed;
    }
    if (!IsSuccess(status)) {
        Record(TransferFailure::Cause::kHttpStatus, status);
        if (song_) part_->Abandon();
        return State::kFailed;
    }
    if (song_ && !SongComplete(status)) return State::kFailed;
    // An empty body: the file is begun (and emptied) all the same.
    if (!begun_ && !BeginBody(*request)) return State::kFailed;
    return State::kComplete;
}

bool TransferJob::Commit() {
    if (Stopped() || !part_) return false;
    if (part_->Commit(finish_)) return true;
    RecordWriting();
    return false;
}

}  // namespace tunewell::transfer
