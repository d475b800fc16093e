// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "transfer/file_transfer.h"

namespace tunewell::transfer {

// The main program's transfer object: FileTransfer whose progress event
// carries the speed in KB/s since the previous report. It resumes: a song
// left partial by a failed, aborted or killed transfer continues where it
// stopped on the next transfer of the same address into the same place.
//
// The speed is measured against the previous report of this object, also
// when that report belonged to an earlier transfer (the memory is never
// reset), and against tick 0 and byte 0 for the object's first report.
// An exception thrown by the handler or by the event processing is
// swallowed: a progress report never fails the transfer.
class CFileDownload : public FileTransfer {
public:
    using ProgressHandler =
        std::function<void(std::int64_t lProgress, std::int64_t lMaxProgress, std::int32_t lSpeed,
                           std::int32_t lStatusCode, const std::string& sStatusText)>;
    using TickSource = std::function<std::int32_t()>;

    CFileDownload();

    // The event, installed by the owner; raised on the calling thread.
    ProgressHandler OnProgress;

    // Replaces the millisecond tick counter (tests).
    void SetTickSource(TickSource tickCount) { tickCount_ = std::move(tickCount); }

    // KB/s for `deltaBytes` received in `elapsedMs` milliseconds: the
    // quotient is written with two decimals, read back and rounded to a
    // whole number, a half going to the even neighbour. 0 when the
    // arithmetic fails (no time elapsed, a result beyond 32 bits).
    static std::int32_t SpeedFromInterval(std::int64_t deltaBytes, std::int64_t elapsedMs);

    // The system tick counter: milliseconds, wrapping at 32 bits.
    static std::int32_t SystemTickCount();

protected:
    void Report(std::int64_t progress, std::int64_t maxProgress, std::int32_t statusCode,
                const std::string& statusText) override;

private:
    std::int32_t m_lLastTick = 0;   // tick at the end of the previous report
    std::int64_t m_lLastBytes = 0;  // byte count of the previous report
    TickSource tickCount_;
};

}  // namespace tunewell::transfer
