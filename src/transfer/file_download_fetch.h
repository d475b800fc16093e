// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "transfer/file_download.h"
#include "transfer/file_fetch.h"

#include <utility>

namespace tunewell::transfer {

// A CFileDownload seen as a FileFetch. The CFileDownload is borrowed; a
// progress handler given here becomes its OnProgress.
class FileDownloadFetch : public FileFetch {
public:
    explicit FileDownloadFetch(CFileDownload& download) : download_(download) {}
    bool StartDownloading(const std::string& source, const std::string& destination) override {
        return download_.StartDownloading(source, destination);
    }
    void AbortDownloading() override { download_.AbortDownloading(); }
    TransferFailure LastFailure() const override { return download_.LastFailure(); }
    void SetSizeCap(std::int64_t maxBytes) override { download_.SetSizeCap(maxBytes); }
    void SetRateLimit(std::int64_t bytesPerSecond) override { download_.SetRateLimit(bytesPerSecond); }
    void SetFinishStep(FinishStep finish) override { download_.SetFinishStep(std::move(finish)); }
    std::int64_t AnnouncedLength() const override { return download_.AnnouncedLength(); }
    void SetProgressHandler(ProgressHandler handler) override {
        if (!handler) {
            download_.OnProgress = nullptr;
            return;
        }
        download_.OnProgress = [handler = std::move(handler)](std::int64_t bytes, std::int64_t total,
                                                              std::int32_t speed, std::int32_t, const std::string&) {
            handler(bytes, total, speed);
        };
    }

private:
    CFileDownload& download_;
};

}  // namespace tunewell::transfer
