// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "transfer/part_file.h"

namespace tunewell::transfer {

// Status codes carried by progress reports (the numbers of the classic
// binding status codes, so owners can compare them with familiar values).
enum TransferStatus : std::int32_t {
    kStatusConnecting = 2,
    kStatusDownloadingData = 5,
    kStatusEndDownloadData = 6,
};

// Why the last transfer failed, for the user: what went wrong, and for an
// HTTP error the final status.
struct TransferFailure {
    enum class Cause {
        kNone,            // it succeeded (or none ran yet)
        kAborted,         // AbortDownloading, or an owner's handler failed it
        kRefusedAddress,  // not an http or https address: nothing was sent
        kFolder,          // the target's folder cannot be written (missing, read-only, a file)
        kDiskFull,        // no space (or quota) left for the bytes
        kWrite,           // another error writing or placing the file
        kHttpStatus,      // the server answered `status`
        kNetwork,         // no connection, or it broke off
        kTimeout,         // no connection within the connect limit
        kStall,           // too few bytes within the stall limit
        kTooLarge,        // more bytes than TransferLimits::maxBytes arrived or were announced
        // A song transfer's reply that is no song (see TransferJob):
        kNotAudio,  // an HTML page
        kEmpty,     // a success without a single byte
        kOverlong,  // a continued range ran past the end of the file
    };
    Cause cause = Cause::kNone;
    long status = 0;
    // The seconds a 429 or 503 reply asked the client to wait before trying
    // again (its Retry-After in seconds); -1 when it named none.
    int retryAfter = -1;
};

// Limits of one transfer: a connection that is not made within `connect`,
// or a transfer that receives fewer than `stallBytes` within `stall`,
// fails. Time spent inside the owner's handlers does not count towards
// `stall`. A file larger than `maxBytes` (0: no cap) fails as soon as the
// reply announces such a length or the bytes in the file pass it; what
// arrived is removed, also a partial that could otherwise be resumed.
struct TransferLimits {
    std::chrono::milliseconds connect{30000};
    std::chrono::milliseconds stall{60000};
    std::int64_t stallBytes = 1024;
    std::int64_t maxBytes = 0;
    // The most bytes a second the transfer receives (0: no limit).
    std::int64_t bytesPerSecond = 0;
};

// The bytes free on the file system of a folder; nothing when that is not
// known. Song transfers ask platform::FreeSpaceIn unless given another
// (tests make the disk small).
using FreeSpaceProbe = std::function<std::optional<std::int64_t>(const std::string& folder)>;

// The URL-to-file transfer shared by the main program and the updater: a
// synchronous transfer (net::StreamRequest) on the calling thread that
// reports progress through the derived class, processes pending events
// (the process's wait pump, net::RunWaitPump with WaitKind::kTransfer)
// after every report and at least every 50 ms while it waits, and can be
// aborted from inside those events. Fewer than `stallBytes` within
// `stall` fails it (TransferLimits).
//
// The file appears under the target name only when the whole transfer
// succeeded; the bytes arrive in a temporary or partial file in the
// target's folder first (see PartFile; a device or pipe target is written
// directly, a link at the target's name is replaced). A resuming transfer
// (the main program's) continues a partial file an earlier transfer of the
// same address left, when the server confirms the same version with a 206,
// and reports progress including the kept bytes; it also takes only a
// reply that can be a song and fails at once when the announced length
// cannot fit on the disk (TransferJob's song rules). Redirects are followed,
// http_proxy is honoured, a final status other than 2xx is a failure, and
// cookies come from and go to the process-wide net::CookieStore. Only
// addresses with an http or https scheme are fetched.
//
// Re-entry: StartDownloading while a transfer runs (called from a handler
// inside the event processing) is refused; AbortDownloading ends the
// running transfer, whose StartDownloading then returns false. Destroying
// the object from inside its own event processing aborts the transfer and
// is safe: the pending StartDownloading returns false without touching the
// destroyed object.
class FileTransfer {
public:
    virtual ~FileTransfer();

    FileTransfer(const FileTransfer&) = delete;
    FileTransfer& operator=(const FileTransfer&) = delete;

    // Copies `sSrc` into the file `sDest` (full path). Returns true only
    // when the whole body arrived and the file is in place. Returns false
    // at once, touching nothing, while a transfer runs.
    bool StartDownloading(const std::string& sSrc, const std::string& sDest);

    // Ends the running transfer, if any; always clears the busy flag.
    void AbortDownloading();

    // True from the start of a transfer until it ends or is aborted.
    bool IsBusy() const { return m_bBusy; }

    // Why the last StartDownloading that ran returned false (kNone after a
    // success). A call refused while busy leaves it alone.
    const TransferFailure& LastFailure() const { return lastFailure_; }
    // The whole file's length the server announced in the last transfer
    // that ran, kept bytes of a resumed song included; 0 when it announced
    // none (or none ran). A call refused while busy leaves it alone.
    std::int64_t AnnouncedLength() const { return announced_; }

    // Shortens or lengthens the time limits (tests use short ones); the
    // size cap and the rate limit stay as they are.
    void SetTimeLimits(const TransferLimits& limits) {
        const std::int64_t cap = limits_.maxBytes;
        const std::int64_t rate = limits_.bytesPerSecond;
        limits_ = limits;
        limits_.maxBytes = cap;
        limits_.bytesPerSecond = rate;
    }
    // Limits the following transfers to `bytesPerSecond` (0: no limit).
    void SetRateLimit(std::int64_t bytesPerSecond) { limits_.bytesPerSecond = bytesPerSecond; }
    // Caps the file of the following transfers at `maxBytes` bytes (0, the
    // default: no cap); see TransferLimits.
    void SetSizeCap(std::int64_t maxBytes) { limits_.maxBytes = maxBytes; }
    // A step the following transfers run on their complete file before it
    // takes its name (empty: none); see PartFile::Commit.
    void SetFinishStep(FinishStep finish) { finish_ = std::move(finish); }
    // Replaces the question for a folder's free space (tests).
    void SetFreeSpaceProbe(FreeSpaceProbe freeSpace) { freeSpace_ = std::move(freeSpace); }

protected:
    // How an exception thrown by the owner's handlers is treated.
    enum class HandlerErrors { kIgnore, kFailTransfer };

    // `resumes`: the main program's song transfer. A song's partial file
    // outlives a failed or aborted transfer (when the server gave
    // validators) and the next transfer of the same address into the same
    // place asks only for the rest (see PartFile); the song rules of
    // TransferJob apply.
    FileTransfer(HandlerErrors policy, bool resumes);

    // One progress report: raises the owner's event. `maxProgress` is 0
    // when the server sent no length. An exception thrown here fails the
    // transfer.
    virtual void Report(std::int64_t progress, std::int64_t maxProgress, std::int32_t statusCode,
                        const std::string& statusText) = 0;

private:
    struct Binding;

    bool Transfer(Binding& binding);
    bool ReportAndPump(Binding& binding, std::int64_t maxProgress, std::int32_t statusCode);
    bool ProcessPendingEvents(Binding& binding);

    Binding* m_oBinding = nullptr;  // the running transfer; nullptr when idle
    bool m_bBusy = false;
    HandlerErrors policy_;
    bool resumes_;
    TransferLimits limits_;
    FreeSpaceProbe freeSpace_;
    FinishStep finish_;
    TransferFailure lastFailure_;
    std::int64_t announced_ = 0;
};

}  // namespace tunewell::transfer
