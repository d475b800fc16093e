#include "transfer/file_transfer.h"

#include <curl/curl.h>

#include <chrono>
#include <memory>
#include <utility>

#include "transfer/part_file.h"
#include "net/drive.h"
#include "net/easy_factory.h"

namespace tunewell::transfer {
namespace {

// libcurl's default 16 KiB receive buffer leaves more than half of the
// loopback throughput unused; 512 KiB keeps up with the curl tool.
constexpr long kReceiveBufferSize = 512L * 1024L;
constexpr long kMaxRedirects = 10;

}  // namespace

// The state of one running transfer. It lives on the stack of
// StartDownloading; the object points at it while the transfer runs.
struct FileTransfer::Binding {
    FileTransfer* owner;
    Binding* previous;  // a transfer started while this one was aborting
    std::string source;
    PartFile* part = nullptr;
    CURL* easy = nullptr;
    std::int64_t written = 0;
    std::int64_t lastReported = -1;
    bool aborted = false;   // AbortDownloading, or the owner went away
    bool detached = false;  // the owner was destroyed: never touch it again
    bool failed = false;    // a write error or a handler error that fails

    bool Stopped() const { return aborted || detached || failed; }

    static std::size_t OnWrite(char* data, std::size_t, std::size_t size, void* self) {
        auto& binding = *static_cast<Binding*>(self);
        if (binding.Stopped()) return 0;
        if (!binding.part->Write(data, size)) {
            binding.failed = true;
            return 0;
        }
        binding.written += static_cast<std::int64_t>(size);
        return size;
    }

    // The wait step, run at least every 50 ms: new bytes make a report,
    // and every step processes the owner's events.
    bool Step() {
        if (Stopped()) return false;
        if (lastReported < 0) return owner->ReportAndPump(*this, 0, kStatusConnecting);
        if (written == lastReported) return owner->ProcessPendingEvents(*this);
        // Only the final reply's body is written, so the announced length is
        // that reply's (0 when it sent none), never a redirect's.
        curl_off_t length = -1;
        curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        return owner->ReportAndPump(*this, length > 0 ? length : 0, kStatusDownloadingData);
    }
};

FileTransfer::FileTransfer(HandlerErrors policy) : policy_(policy) {}

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
    PartFile part(sDest);
    if (!part.IsOpen()) return false;
    binding.part = &part;

    net::RequestPolicy policy;
    policy.maxRedirects = kMaxRedirects;
    policy.connect = limits_.connect;
    policy.stall = limits_.stall;
    policy.stallBytes = limits_.stallBytes;
    policy.maxBody = 0;  // streamed to disk: no cap
    policy.receiveBuffer = kReceiveBufferSize;
    net::CurlEasy holder = net::NewEasy(sSrc, policy);
    CURL* easy = holder.get();
    if (easy == nullptr) return false;
    binding.easy = easy;
    curl_easy_setopt(easy, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Binding::OnWrite);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &binding);

    const net::DriveResult driven = net::Drive(
        easy, policy, [&binding] { return binding.written; }, [&binding] { return binding.Step(); });
    // From here on the object may have been destroyed by an event handler;
    // Stopped() covers that case before any member is used.
    if (driven.stalled || driven.stopped || driven.code != CURLE_OK || binding.Stopped())
        return false;
    long status = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    if (status < 200 || status >= 300) return false;  // errors, and a redirect not followed
    curl_off_t length = -1;
    curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    if (!ReportAndPump(binding, length > 0 ? length : 0, kStatusEndDownloadData)) return false;
    return part.Commit();
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
