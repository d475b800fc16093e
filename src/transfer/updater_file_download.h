// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "transfer/file_transfer.h"

namespace tunewell::transfer {

// The updater program's transfer object: FileTransfer whose progress event
// has no speed. An exception thrown by the handler or by the event
// processing fails the transfer (StartDownloading returns false and no
// file is written). It never resumes: a program file is fetched whole.
class CUpdaterFileDownload : public FileTransfer {
public:
    using ProgressHandler =
        std::function<void(std::int64_t lProgress, std::int64_t lMaxProgress,
                           std::int32_t lStatusCode, const std::string& sStatusText)>;

    CUpdaterFileDownload() : FileTransfer(HandlerErrors::kFailTransfer, false) {}

    // The event, installed by the owner; raised on the calling thread.
    ProgressHandler OnProgress;

protected:
    void Report(std::int64_t progress, std::int64_t maxProgress, std::int32_t statusCode,
                const std::string& statusText) override;
};

}  // namespace tunewell::transfer
