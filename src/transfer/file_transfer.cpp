// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/file_transfer.h"

#include <chrono>
#include <utility>

#include "net/request_group.h"
#include "net/wait_pump.h"
#include "transfer/transfer_job.h"

namespace tunewell::transfer {
namespace {

// While bytes flow, the owner's events are processed (and progress reported)
// at most this often: each step costs the window a round of event handling,
// and a step after every read of a fast transfer halves its speed. The
// network layer still calls back at least every 50 ms.
constexpr std::chrono::milliseconds kStepInterval{15};

using Clock = std::chrono::steady_clock;

}  // namespace

// The state of one running transfer. It lives on the stack of
// StartDownloading; the object points at it while the transfer runs.
struct FileTransfer::Binding {
    Binding(FileTransfer* owner_, Binding* previous_, TransferJob& job_)
        : owner(owner_), previous(previous_), job(job_) {}

    FileTransfer* owner;
    Binding* previous;  // a transfer started while this one was aborting
    TransferJob& job;
    std::int64_t lastReported = -1;
    Clock::time_point lastStep{};  // when the owner's events were last processed
    bool detached = false;  // the owner was destroyed: never touch it again

    bool Stopped() const { return detached || job.Stopped(); }

    // The wait step, run at least every 50 ms: new bytes make a report,
    // and every step processes the owner's events.
    bool OnWait() {
        if (Stopped()) return false;
        const Clock::time_point now = Clock::now();
        if (lastReported >= 0 && now - lastStep < kStepInterval) return true;
        lastStep = now;
        if (lastReported < 0) return owner->ReportAndPump(*this, 0, kStatusConnecting);
        if (job.Written() == lastReported) return owner->ProcessPendingEvents(*this);
        return owner->ReportAndPump(*this, job.Total(), kStatusDownloadingData);
    }
};

FileTransfer::FileTransfer(HandlerErrors policy, bool resumes) : policy_(policy), resumes_(resumes) {}

FileTransfer::~FileTransfer() {
    for (Binding* binding = m_oBinding; binding != nullptr; binding = binding->previous) {
        binding->detached = true;
        binding->job.Abort();
    }
}

bool FileTransfer::StartDownloading(const std::string& sSrc, const std::string& sDest) {
    if (m_bBusy) return false;
    TransferJob job(sSrc, sDest, resumes_, limits_, freeSpace_);
    job.SetFinishStep(finish_);
    Binding binding{this, m_oBinding, job};
    m_oBinding = &binding;
    m_bBusy = true;
    const bool ok = Transfer(binding);
    if (binding.detached) return false;  // destroyed during the transfer
    m_oBinding = binding.previous;
    m_bBusy = false;
    announced_ = job.Total();
    const bool succeeded = ok && !binding.Stopped();
    lastFailure_ = succeeded ? TransferFailure{} : job.Failure();
    // A failure nothing else explained (the pending-events step ended it).
    if (!succeeded && lastFailure_.cause == TransferFailure::Cause::kNone)
        lastFailure_.cause = TransferFailure::Cause::kAborted;
    return succeeded;
}

void FileTransfer::AbortDownloading() {
    if (m_oBinding != nullptr) m_oBinding->job.Abort();
    m_bBusy = false;
}

bool FileTransfer::Transfer(Binding& binding) {
    TransferJob& job = binding.job;
    job.onWait = [&binding] { return binding.OnWait(); };
    net::RequestGroup group;
    if (!job.Start(group)) return false;
    for (;;) {
        if (group.Round().empty()) continue;
        // From here on the object may have been destroyed by an event
        // handler; Stopped() covers that case before any member is used.
        const TransferJob::State state = job.Ended(group);
        if (state == TransferJob::State::kRunning) continue;
        if (state == TransferJob::State::kFailed || binding.Stopped()) return false;
        if (!ReportAndPump(binding, job.Total(), kStatusEndDownloadData)) return false;
        return job.Commit();
    }
}

bool FileTransfer::ReportAndPump(Binding& binding, std::int64_t maxProgress,
                                 std::int32_t statusCode) {
    binding.lastReported = binding.job.Written();
    try {
        Report(binding.job.Written(), maxProgress, statusCode, binding.job.Source());
    } catch (...) {
        if (policy_ == HandlerErrors::kFailTransfer) binding.job.Fail();
    }
    if (binding.Stopped()) return false;
    return ProcessPendingEvents(binding);
}

bool FileTransfer::ProcessPendingEvents(Binding& binding) {
    // The pump may destroy this object: nothing of it is used afterwards.
    const HandlerErrors policy = policy_;
    try {
        net::RunWaitPump(net::WaitKind::kTransfer);
    } catch (...) {
        if (policy == HandlerErrors::kFailTransfer) binding.job.Fail();
    }
    return !binding.Stopped();
}

}  // namespace tunewell::transfer
