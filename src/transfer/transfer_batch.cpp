// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/transfer_batch.h"

#include <algorithm>
#include <utility>

#include "net/wait_pump.h"
#include "transfer/file_download.h"
#include "transfer/transfer_job.h"

namespace tunewell::transfer {
namespace {

// As for a single transfer: events at most this often while bytes flow.
constexpr std::chrono::milliseconds kStepInterval{15};

using Clock = std::chrono::steady_clock;

}  // namespace

struct TransferBatch::Song {
    Song(int id_, const std::string& source, const std::string& destination, const TransferLimits& limits,
         const FreeSpaceProbe& freeSpace)
        : id(id_), job(source, destination, true, limits, freeSpace) {}
    int id;
    TransferJob job;
};

TransferBatch::TransferBatch(const TransferLimits& limits) : limits_(limits) {}

TransferBatch::~TransferBatch() { AbortAll(); }

bool TransferBatch::Start(int id, const std::string& source, const std::string& destination,
                          TransferFailure* failure, FinishStep finish) {
    // Its share from the first byte (it also sizes the reads).
    TransferLimits limits = limits_;
    if (rate_ > 0) limits.bytesPerSecond = std::max<std::int64_t>(1, rate_ / static_cast<std::int64_t>(jobs_.size() + 1));
    auto song = std::make_unique<Song>(id, source, destination, limits, freeSpace_);
    song->job.SetFinishStep(std::move(finish));
    if (!song->job.Start(group_)) {
        if (failure != nullptr) *failure = song->job.Failure();
        return false;
    }
    // The kept bytes of a resumed song were not received now: no speed.
    if (lastBytes_ >= 0) lastBytes_ += song->job.Written();
    jobs_.push_back(std::move(song));
    ShareRate();
    return true;
}

void TransferBatch::SetRateLimit(std::int64_t bytesPerSecond) {
    rate_ = bytesPerSecond > 0 ? bytesPerSecond : 0;
    ShareRate();
}

void TransferBatch::ShareRate() {
    if (jobs_.empty()) return;
    const auto count = static_cast<std::int64_t>(jobs_.size());
    const std::int64_t each = rate_ > 0 ? std::max<std::int64_t>(1, rate_ / count) : 0;
    for (const auto& song : jobs_) song->job.SetRateLimit(each);
}

void TransferBatch::AbortAll() {
    for (const auto& song : jobs_) song->job.Abort();
}

std::vector<TransferBatch::Ended> TransferBatch::Round() {
    std::vector<Ended> ended;
    for (net::StreamRequest* request : group_.Round([this] { Step(); })) {
        const auto it = std::find_if(jobs_.begin(), jobs_.end(),
                                     [request](const auto& song) { return song->job.Owns(request); });
        if (it == jobs_.end()) continue;
        TransferJob& job = (*it)->job;
        const TransferJob::State state = job.Ended(group_);
        if (state == TransferJob::State::kRunning) continue;  // asked again from byte 0
        const bool saved = state == TransferJob::State::kComplete && job.Commit();
        endedBytes_ += job.Written();
        ended.push_back(Ended{(*it)->id, saved, saved ? TransferFailure{} : job.Failure()});
        jobs_.erase(it);
    }
    if (!ended.empty()) ShareRate();
    return ended;
}

void TransferBatch::Step() {
    const Clock::time_point now = Clock::now();
    if (now - lastStep_ < kStepInterval) return;
    lastStep_ = now;
    std::vector<Progress> running;
    std::int64_t bytes = endedBytes_;
    for (const auto& song : jobs_) {
        running.push_back(Progress{song->id, song->job.Written(), song->job.Total()});
        bytes += song->job.Written();
    }
    if (bytes != lastBytes_ && OnProgress) {
        std::int32_t speed = 0;
        if (lastBytes_ >= 0) {
            const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - lastReport_);
            speed = CFileDownload::SpeedFromInterval(bytes - lastBytes_, elapsed.count());
        }
        // A copy: the handler may replace the member. As in the main
        // program's single transfer, a failing handler stops nothing.
        const ProgressHandler handler = OnProgress;
        try {
            handler(running, speed);
        } catch (...) {
        }
        lastReport_ = now;
        lastBytes_ = bytes;
    }
    try {
        net::RunWaitPump(net::WaitKind::kTransfer);
    } catch (...) {
    }
}

}  // namespace tunewell::transfer
