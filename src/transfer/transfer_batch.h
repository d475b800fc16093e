// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "net/request_group.h"
#include "transfer/file_transfer.h"

namespace tunewell::transfer {

class TransferJob;

// Several songs transferred side by side on the calling thread, through one
// multi handle driven by the same wait step as a single transfer: every
// round waits at most 50 ms, and pending events are processed (the
// process's wait pump, as for FileTransfer) at least every 50 ms (at most
// every 15 ms while bytes flow). Each song resumes and
// is put in place as CFileDownload's transfer is (see FileTransfer), and a
// failure ends only its own song.
//
// Re-entry: AbortAll may be called from inside the event processing; the
// aborted songs end at the next round, as failed, with their partials kept
// for resuming. Start must not be called from inside it.
class TransferBatch {
public:
    struct Ended {
        int id;
        bool saved;  // the whole file is in place under its name
        TransferFailure failure;  // why not, when not saved
    };
    struct Progress {
        int id;
        std::int64_t bytes;  // in the file, kept bytes of a resumed song included
        std::int64_t total;  // the whole file's length; 0 while unknown
    };
    // The running songs' progress, and their combined speed in KB/s since
    // the previous report.
    using ProgressHandler = std::function<void(const std::vector<Progress>& running, std::int32_t speedKb)>;

    explicit TransferBatch(const TransferLimits& limits = {});
    // Aborts what still runs (partials are kept).
    ~TransferBatch();
    TransferBatch(const TransferBatch&) = delete;
    TransferBatch& operator=(const TransferBatch&) = delete;

    // Starts copying `source` into the file `destination` (full path) as
    // song `id`. False when it cannot start (the folder cannot be written,
    // the address is refused): the song has failed, is not running, and
    // `failure`, when given, says why.
    // `finish` runs on the complete file before it takes its name (see
    // PartFile::Commit).
    bool Start(int id, const std::string& source, const std::string& destination,
               TransferFailure* failure = nullptr, FinishStep finish = {});

    // One round; returns the songs that ended in it, in the order they
    // ended. Does nothing but process events when none runs.
    std::vector<Ended> Round();

    // Ends every running song at the next round (they fail).
    void AbortAll();

    std::size_t Running() const { return jobs_.size(); }

    // Limits the whole batch to `bytesPerSecond` (0: no limit): the running
    // songs share it equally, shared again as songs start and end.
    void SetRateLimit(std::int64_t bytesPerSecond);

    // Raised from inside rounds in which bytes arrived, just before the
    // events are processed.
    ProgressHandler OnProgress;
    // Replaces the question for a folder's free space, for the songs
    // started after it (tests).
    void SetFreeSpaceProbe(FreeSpaceProbe freeSpace) { freeSpace_ = std::move(freeSpace); }

private:
    struct Song;

    void Step();
    void ShareRate();

    TransferLimits limits_;
    std::int64_t rate_ = 0;  // the whole batch's, bytes a second
    FreeSpaceProbe freeSpace_;
    std::vector<std::unique_ptr<Song>> jobs_;
    // Declared after the songs: destroyed first, so no request outlives
    // its song.
    net::RequestGroup group_;
    std::chrono::steady_clock::time_point lastStep_{};
    std::chrono::steady_clock::time_point lastReport_{};
    std::int64_t lastBytes_ = -1;  // bytes of all songs at the last report
    std::int64_t endedBytes_ = 0;  // bytes of songs that left since then
};

}  // namespace tunewell::transfer
