// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "net/request_group.h"
#include "net/stream_request.h"
#include "transfer/file_transfer.h"
#include "transfer/part_file.h"
#include "transfer/reply_headers.h"
#include "transfer/song_reply.h"

namespace tunewell::transfer {

// One address into one file, driven from outside in a net::RequestGroup:
// the partial or temporary file, the request of the current attempt, and
// the resume decision (a 206 that continues the kept bytes, or the whole
// file again when the server will not). FileTransfer runs one job at a
// time; TransferBatch runs several side by side.
//
// The owner drives it: Start() adds the first request to the group; when
// the group reports the job's request ended, Ended() decides (start the
// next attempt, fail, or the body is complete); Commit() then puts the
// file in place. Abort() may be called from anywhere, also from inside the
// job's callbacks: the request ends at its next callback and the job
// fails. What stays on disk after a failure is PartFile's rule.
//
// A song transfer takes only a reply that can be a song. It fails with
// nothing of it left (PartFile::Abandon: no partial either, not even one an
// earlier transfer left) and the target untouched on: a final 3xx (a
// redirect not followed; its page is never written), a 204 or 205
// (kHttpStatus); any other success without a byte (kEmpty); a "text/html"
// reply whose first non-blank byte is "<", or that holds only blanks
// (kNotAudio; decided at that byte, nothing held back); a continued range
// whose body runs past the file's end (kOverlong); an announced length the
// disk has no room for (kDiskFull, before a byte is written). A 206 that
// announces another length than its range's is not continued (the file is
// fetched afresh); one that ends early fails as a connection that broke
// off (kNetwork) and keeps its bytes. Running out of space while writing
// leaves nothing either, whatever the transfer.
class TransferJob final : public net::StreamReceiver {
public:
    enum class State { kRunning, kComplete, kFailed };

    // `song`: the main program's song transfer: the song's own partial file
    // (PartFile kResumable) and the song rules above; otherwise a fresh
    // temporary and any 2xx reply is taken. `freeSpace`: empty asks the
    // system.
    TransferJob(std::string source, std::string destination, bool song, const TransferLimits& limits,
                FreeSpaceProbe freeSpace = {});
    ~TransferJob() override;
    TransferJob(const TransferJob&) = delete;
    TransferJob& operator=(const TransferJob&) = delete;

    // Opens the file and adds the first request to `group`. False when
    // nothing could start (the target cannot be written, a refused
    // address): the job has failed.
    bool Start(net::RequestGroup& group);

    // Whether `request` is this job's current request.
    bool Owns(const net::StreamRequest* request) const { return request != nullptr && request == request_.get(); }

    // The job's request ended (it has left `group`): kRunning when a new
    // attempt is under way in `group`, kComplete when the whole body is in
    // the file, kFailed otherwise.
    State Ended(net::RequestGroup& group);

    // Puts the complete file in place under the target name. False on any
    // failure (the target then stays as it was).
    bool Commit();
    // A step on the complete file before it takes its name (PartFile::Commit).
    void SetFinishStep(FinishStep finish) { finish_ = std::move(finish); }

    // Limits the job's attempts to `bytesPerSecond` (0: none), the one
    // under way included. Starts as TransferLimits::bytesPerSecond.
    void SetRateLimit(std::int64_t bytesPerSecond);

    void Abort() { aborted_ = true; }
    // A handler error that fails the transfer.
    void Fail() { failed_ = true; }
    bool Stopped() const { return aborted_ || failed_; }

    // Why the job failed: the first cause met, kAborted when it was stopped
    // without one (Abort, a handler error); kNone while nothing failed.
    TransferFailure Failure() const;

    // Bytes in the file: what an earlier transfer left counts, so this
    // starts at the kept bytes and drops to 0 only when the server starts
    // over. The whole file's length once the reply announced it, else 0.
    std::int64_t Written() const { return written_; }
    std::int64_t Total() const;
    const std::string& Source() const { return source_; }

    // The driver's wait step, run at least every 50 ms while the job's
    // request waits (see net::StreamReceiver::OnWait); false ends the
    // request. Unset: the job only refuses once stopped.
    std::function<bool()> onWait;

    // net::StreamReceiver
    void OnHeaderLine(std::string_view line) override;
    bool OnBody(const char* data, std::size_t size) override;
    bool OnWait() override;

private:
    bool StartAttempt(net::RequestGroup& group);
    bool BeginBody(const net::StreamRequest& request);
    bool OverCap(std::size_t size);
    // The song rules: room for an announced length; the body's first
    // non-blank byte; what a body that ended must have been.
    bool HasRoomFor(std::int64_t length);
    bool SniffBody(const char* data, std::size_t size);
    bool SongComplete(long status);
    // A failure that leaves nothing of the transfer behind.
    void Refuse(TransferFailure::Cause cause, long status = 0);
    void Record(TransferFailure::Cause cause, long status = 0);
    // A write or placing error of the file, by its errno.
    void RecordWriting();

    const std::string source_;
    const std::string destination_;
    const bool song_;
    const TransferLimits limits_;
    const FreeSpaceProbe freeSpace_;
    std::unique_ptr<PartFile> part_;
    std::unique_ptr<net::StreamRequest> request_;
    std::string targetName_;
    ReplyHeaders headers_;
    std::int64_t offered_ = 0;  // the kept bytes a Range asked to continue after
    std::int64_t base_ = 0;     // bytes already in the file when the body began
    std::int64_t written_ = 0;
    std::int64_t rate_ = 0;  // bytes a second, 0: no limit
    std::int64_t announced_ = -1;  // the final reply's announced length
    std::int64_t end_ = -1;        // a continued range's end: the whole file's length
    BodyStart bodyStart_;
    bool sniffing_ = false;  // an HTML reply whose first non-blank byte is still to come
    bool begun_ = false;    // the body's first byte (or its end) was seen
    bool restart_ = false;  // the reply cannot continue the partial: ask again
    bool aborted_ = false;
    bool failed_ = false;  // a write error or a handler error
    TransferFailure failure_;
    FinishStep finish_;
};

}  // namespace tunewell::transfer
