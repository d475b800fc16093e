#include "transfer/file_transfer.h"

#include <chrono>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/file_io.h"
#include "transfer/part_file.h"
#include "transfer/reply_headers.h"
#include "net/stream_request.h"

namespace tunewell::transfer {
namespace {

// libcurl's default 16 KiB receive buffer leaves more than half of the
// loopback throughput unused; 512 KiB keeps up with the curl tool.
constexpr long kReceiveBufferSize = 524288;
constexpr long kMaxRedirects = 10;
// While bytes flow, the owner's events are processed (and progress reported)
// at most this often: each step costs the window a round of event handling,
// and a step after every read of a fast transfer halves its speed. The
// network layer still calls back at least every 50 ms.
constexpr std::chrono::milliseconds kStepInterval{15};

using Clock = std::chrono::steady_clock;

}  // namespace

// The state of one running transfer. It lives on the stack of
// StartDownloading; the object points at it while the transfer runs.
struct FileTransfer::Binding final : net::StreamReceiver {
    Binding(FileTransfer* owner_, Binding* previous_, std::string source_)
        : owner(owner_), previous(previous_), source(std::move(source_)) {}

    FileTransfer* owner;
    Binding* previous;  // a transfer started while this one was aborting
    std::string source;
    std::string targetName;
    PartFile* part = nullptr;
    net::StreamRequest* request = nullptr;
    ReplyHeaders headers;
    std::int64_t offered = 0;  // the kept bytes a Range asked to continue after
    std::int64_t base = 0;     // bytes already in the file when the body began
    bool begun = false;        // the body's first byte (or its end) was seen
    bool restart = false;      // the reply cannot continue the partial: ask again
    // Bytes in the file: progress counts what an earlier transfer left, so
    // it starts at `offered` and drops to 0 only when the server starts over.
    std::int64_t written = 0;
    std::int64_t lastReported = -1;
    Clock::time_point lastStep{};  // when the owner's events were last processed
    bool aborted = false;   // AbortDownloading, or the owner went away
    bool detached = false;  // the owner was destroyed: never touch it again
    bool failed = false;    // a write error or a handler error that fails

    bool Stopped() const { return aborted || detached || failed; }

    // Decides, before the body's first byte, whether it continues the
    // partial (a matching 206) or starts the file afresh.
    bool BeginBody() {
        begun = true;
        if (request->Status() == 206) {
            if (offered > 0 && part->Previous() &&
                ContinuesPartial(headers, *part->Previous(), offered) &&
                part->Begin(true, ResumeRecord{})) {
                base = offered;
                return true;
            }
            restart = true;
            return false;
        }
        written = 0;
        if (part->Begin(false, RecordOf(headers, source, targetName, request->ContentLength()))) return true;
        failed = true;
        return false;
    }

    void OnHeaderLine(std::string_view line) override { headers.Add(line.data(), line.size()); }

    bool OnBody(const char* data, std::size_t size) override {
        if (Stopped()) return false;
        if (!begun && !BeginBody()) return false;
        if (!part->Write(data, size)) {
            failed = true;
            return false;
        }
        written += static_cast<std::int64_t>(size);
        return true;
    }

    // The wait step, run at least every 50 ms: new bytes make a report,
    // and every step processes the owner's events.
    bool OnWait() override {
        if (Stopped()) return false;
        const Clock::time_point now = Clock::now();
        if (lastReported >= 0 && now - lastStep < kStepInterval) return true;
        lastStep = now;
        if (lastReported < 0) return owner->ReportAndPump(*this, 0, kStatusConnecting);
        if (written == lastReported) return owner->ProcessPendingEvents(*this);
        // Only the final reply's body is written, so the announced length is
        // that reply's (0 when it sent none), never a redirect's.
        const std::int64_t length = request->ContentLength();
        return owner->ReportAndPump(*this, length > 0 ? base + length : 0, kStatusDownloadingData);
    }
};

FileTransfer::FileTransfer(HandlerErrors policy, bool resumes) : policy_(policy), resumes_(resumes) {}

FileTransfer::~FileTransfer() {
    for (Binding* binding = m_oBinding; binding != nullptr; binding = binding->previous) {
        binding->detached = true;
        binding->aborted = true;
    }
}

void FileTransfer::SetEventPump(std::function<void()> processPending) {
    processPending_ = std::move(processPending);
}

bool FileTransfer::StartDownloading(const std::string& sSrc, const std::string& sDest) {
    if (m_bBusy) return false;
    Binding binding{this, m_oBinding, sSrc};
    m_oBinding = &binding;
    m_bBusy = true;
    const bool ok = Transfer(binding, sSrc, sDest);
    if (binding.detached) return false;  // destroyed during the transfer
    m_oBinding = binding.previous;
    m_bBusy = false;
    return ok && !binding.Stopped();
}

void FileTransfer::AbortDownloading() {
    if (m_oBinding != nullptr) m_oBinding->aborted = true;
    m_bBusy = false;
}

bool FileTransfer::Transfer(Binding& binding, const std::string& sSrc, const std::string& sDest) {
    PartFile part(sDest, resumes_ ? PartFile::Mode::kResumable : PartFile::Mode::kFresh);
    if (!part.IsOpen()) return false;
    binding.part = &part;
    binding.targetName = sDest.substr(platform::NameStart(sDest));
    binding.offered = binding.written = part.ResumableBytes(sSrc);
    for (;;) {
        const Attempt attempt = Fetch(binding, sSrc);
        if (attempt == Attempt::kFailed) return false;
        if (attempt == Attempt::kDone) return part.Commit();
        // The server would not continue the partial: once more from byte 0.
        binding.offered = binding.base = binding.written = 0;
        binding.begun = binding.restart = false;
        binding.headers.Clear();
    }
}

FileTransfer::Attempt FileTransfer::Fetch(Binding& binding, const std::string& sSrc) {
    net::RequestPolicy policy;
    policy.maxRedirects = kMaxRedirects;
    policy.connect = limits_.connect;
    policy.stall = limits_.stall;
    policy.stallBytes = limits_.stallBytes;
    policy.maxBody = 0;  // streamed to disk: no cap
    policy.receiveBuffer = kReceiveBufferSize;
    std::vector<std::string> headers;
    if (binding.offered > 0) {
        const std::string validator = IfRangeValue(*binding.part->Previous());
        if (!validator.empty()) headers.push_back("If-Range: " + validator);
    }
    net::StreamRequest request(sSrc, policy, binding.offered, headers);
    binding.request = &request;
    const net::Failure failure = request.Run(binding);
    // From here on the object may have been destroyed by an event handler;
    // Stopped() covers that case before any member is used.
    if (binding.Stopped()) return Attempt::kFailed;
    const long status = request.Status();
    // A partial the server will not continue (another version, or no range
    // of it any more) is fetched afresh.
    if (binding.offered > 0 && (binding.restart || status == 416)) return Attempt::kAgain;
    if (failure != net::Failure::kNone) return Attempt::kFailed;
    if (status < 200 || status >= 300) return Attempt::kFailed;  // a redirect not followed
    if (!binding.begun && !binding.BeginBody()) return Attempt::kFailed;  // an empty body
    const std::int64_t length = request.ContentLength();
    if (!ReportAndPump(binding, length > 0 ? binding.base + length : 0, kStatusEndDownloadData))
        return Attempt::kFailed;
    return Attempt::kDone;
}

bool FileTransfer::ReportAndPump(Binding& binding, std::int64_t maxProgress,
                                 std::int32_t statusCode) {
    binding.lastReported = binding.written;
    try {
        Report(binding.written, maxProgress, statusCode, binding.source);
    } catch (...) {
        if (policy_ == HandlerErrors::kFailTransfer) binding.failed = true;
    }
    if (binding.Stopped()) return false;
    return ProcessPendingEvents(binding);
}

bool FileTransfer::ProcessPendingEvents(Binding& binding) {
    if (!processPending_) return !binding.Stopped();
    // A copy: the handler may destroy this object, and with it the member.
    const std::function<void()> pump = processPending_;
    const HandlerErrors policy = policy_;
    try {
        pump();
    } catch (...) {
        if (policy == HandlerErrors::kFailTransfer) binding.failed = true;
    }
    return !binding.Stopped();
}

}  // namespace tunewell::transfer
