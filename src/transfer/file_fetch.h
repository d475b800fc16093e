#pragma once
#include <cstdint>
#include <string>

#include "transfer/file_transfer.h"

namespace tunewell::transfer {

// One address into one file, synchronously, with abort from inside the
// pending-events step: what the download run and both updaters fetch with.
// The window's transfer object implements this.
class FileFetch {
public:
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
};

}  // namespace tunewell::transfer
