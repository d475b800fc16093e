#include "transfer/file_transfer.h"

#include <curl/curl.h>

#include <chrono>
#include <memory>
#include <utility>

#include "transfer/part_file.h"
#include "net/cookie_store.h"
#include "net/curl_easy.h"

namespace tunewell::transfer {
namespace {

// libcurl's default 16 KiB receive buffer leaves more than half of the
// loopback throughput unused; 512 KiB keeps up with the curl tool.
constexpr long kReceiveBufferSize = 512L * 1024L;
constexpr long kMaxRedirects = 10;

using Clock = std::chrono::steady_clock;


}  // namespace

// The state of one running transfer. It lives on the stack of
// StartDownloading; the object points at it while the transfer runs.
struct FileTransfer::Binding {
    FileTransfer* owner;
    Binding* previous;  // a transfer started while this one was aborting
    std::string source;
    PartFile* part = nullptr;
    std::int64_t written = 0;
    std::int64_t lastReported = -1;
    bool aborted = false;   // AbortDownloading, or the owner went away
    bool detached = false;  // the owner was destroyed: never touch it again
    bool failed = false;    // a write error, a stall or a handler error that fails
    // Stall measurement: time without new bytes, counting only the time
    // spent outside the owner's handlers (a dialog the user leaves open
    // inside the event processing is not the server's fault).
    Clock::duration stallLimit{};
    Clock::duration idle{};
    Clock::time_point handlersLeft = Clock::now();
    std::int64_t lastSeen = 0;

    bool Stopped() const { return aborted || detached || failed; }

    bool Stalled() {
        const Clock::time_point now = Clock::now();
        idle = written != lastSeen ? Clock::duration{} : idle + (now - handlersLeft);
        lastSeen = written;
        handlersLeft = now;
        return idle >= stallLimit;
    }

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

    // Called by libcurl whenever data arrived and about once a second
    // otherwise. New bytes make a report; every call processes events.
    static int OnProgress(void* self, curl_off_t dlTotal, curl_off_t, curl_off_t, curl_off_t) {
        auto& binding = *static_cast<Binding*>(self);
        if (binding.Stopped()) return 1;
        if (binding.Stalled()) {
            binding.failed = true;
            return 1;
        }
        bool go;
        if (binding.lastReported < 0) {
            go = binding.owner->ReportAndPump(binding, 0, kStatusConnecting);
        } else if (binding.written != binding.lastReported) {
            // Only the final reply's body is written, so dlTotal is its
            // length (0 when it sent none), never a redirect's.
            go = binding.owner->ReportAndPump(binding, dlTotal, kStatusDownloadingData);
        } else {
            go = binding.owner->ProcessPendingEvents(binding);
        }
        binding.handlersLeft = Clock::now();
        return go ? 0 : 1;
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
    binding.stallLimit = limits_.stall;

    net::CookieStore& cookies = net::CookieStore::Instance();  // also initialises libcurl
    net::CurlEasy holder(curl_easy_init());
    CURL* easy = holder.get();
    if (easy == nullptr) return false;
    curl_easy_setopt(easy, CURLOPT_URL, sSrc.c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(easy, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kReceiveBufferSize);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits_.connect.count()));
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Binding::OnWrite);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &binding);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &Binding::OnProgress);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &binding);
    cookies.Attach(easy);

    const CURLcode result = curl_easy_perform(easy);
    // From here on the object may have been destroyed by an event handler;
    // Stopped() covers that case before any member is used.
    if (result != CURLE_OK || binding.Stopped()) return false;
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
