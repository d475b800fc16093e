// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "transfer/file_transfer.h"

namespace tunewell::transfer {

// One address into one file, synchronously, with abort from inside the
// pending-events step: what the download run and both updaters fetch with.
// The window's transfer object implements this.
class FileFetch {
public:
    // Bytes in the file so far, the whole file's announced length (0 while
    // unknown) and the speed in KB/s.
    using ProgressHandler = std::function<void(std::int64_t bytes, std::int64_t total, std::int32_t speedKb)>;

    virtual ~FileFetch() = default;
    // True when the whole file arrived under `destination`.
    virtual bool StartDownloading(const std::string& source, const std::string& destination) = 0;
    virtual void AbortDownloading() = 0;
    // Why the last StartDownloading failed (FailureText has the words for
    // the user); kNone when the transfer cannot tell.
    virtual TransferFailure LastFailure() const { return {}; }
    // Caps the file of the following transfers at `maxBytes` bytes (0: no
    // cap): a larger one fails and leaves nothing. Only the window's
    // transfer caps; the default ignores it.
    virtual void SetSizeCap(std::int64_t /*maxBytes*/) {}
    // Limits the following transfers to `bytesPerSecond` (0: no limit).
    // Only the window's transfer limits; the default ignores it.
    virtual void SetRateLimit(std::int64_t /*bytesPerSecond*/) {}
    // A step the following transfers run on their complete file before it
    // takes its name (empty: none; see PartFile::Commit). Only the window's
    // transfer runs it; the default ignores it.
    virtual void SetFinishStep(FinishStep /*finish*/) {}
    // The whole file's length the server announced in the last transfer (0:
    // none, or the transfer cannot tell).
    virtual std::int64_t AnnouncedLength() const { return 0; }
    // Who hears the progress of the following transfers, raised from inside
    // StartDownloading (empty: nobody). A transfer that cannot tell its
    // progress ignores it.
    virtual void SetProgressHandler(ProgressHandler /*handler*/) {}
};

}  // namespace tunewell::transfer
