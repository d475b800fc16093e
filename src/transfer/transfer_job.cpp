#include "transfer/transfer_job.h"

#include "platform/file_io.h"
#include <utility>
#include <vector>

namespace tunewell::transfer {
namespace {

// libcurl's default 16 KiB receive buffer leaves more than half of the
// loopback throughput unused; 512 KiB keeps up with the curl tool.
constexpr long kReceiveBufferSize = 524288;
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
        default: return status >= 400 ? Cause::kHttpStatus : Cause::kNetwork;
    }
}

bool NoSpace(int error) { return platform::IsDiskFull(error); }

}  // namespace

TransferJob::TransferJob(std::string source, std::string destination, bool resumes, const TransferLimits& limits)
    : source_(std::move(source)), destination_(std::move(destination)), resumes_(resumes), limits_(limits) {}

TransferJob::~TransferJob() = default;

bool TransferJob::Start(net::RequestGroup& group) {
    part_ = std::make_unique<PartFile>(destination_, resumes_ ? PartFile::Mode::kResumable : PartFile::Mode::kFresh);
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
    policy.receiveBuffer = kReceiveBufferSize;
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
    Record(NoSpace(part_->Error()) ? TransferFailure::Cause::kDiskFull : TransferFailure::Cause::kWrite);
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
// (a matching 206) or starts the file afresh.
bool TransferJob::BeginBody(const net::StreamRequest& request) {
    begun_ = true;
    if (request.Status() == 206) {
        if (offered_ > 0 && part_->Previous() && ContinuesPartial(headers_, *part_->Previous(), offered_) &&
            part_->Begin(true, ResumeRecord{})) {
            base_ = offered_;
            return true;
        }
        restart_ = true;
        return false;
    }
    written_ = 0;
    if (part_->Begin(false, RecordOf(headers_, source_, targetName_, request.ContentLength()))) return true;
    failed_ = true;
    RecordWriting();
    return false;
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
    if (!begun_ && !BeginBody(*request_)) return false;
    if (OverCap(size)) return false;
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
        begun_ = restart_ = false;
        announced_ = -1;
        headers_.Clear();
        return StartAttempt(group) ? State::kRunning : State::kFailed;
    }
    if (request->Outcome() != net::Failure::kNone) {
        const TransferFailure::Cause cause = CauseOf(request->Outcome(), status);
        Record(cause, cause == TransferFailure::Cause::kHttpStatus ? status : 0);
        if (cause == TransferFailure::Cause::kTooLarge) part_->Abandon();
        return State::kFailed;
    }
    if (status < 200 || status >= 300) {  // a redirect not followed
        Record(TransferFailure::Cause::kHttpStatus, status);
        return State::kFailed;
    }
    // An empty body: the file is begun (and emptied) all the same.
    if (!begun_ && !BeginBody(*request)) return State::kFailed;
    return State::kComplete;
}

bool TransferJob::Commit() {
    if (Stopped() || !part_) return false;
    if (part_->Commit()) return true;
    RecordWriting();
    return false;
}

}  // namespace tunewell::transfer
