#pragma once
#include "transfer/file_download.h"
#include "transfer/file_fetch.h"

namespace tunewell::transfer {

// The window's CFileDownload seen as a FileFetch. The CFileDownload is
// borrowed; its owner installs OnProgress and the pump.
class FileDownloadFetch : public FileFetch {
public:
    explicit FileDownloadFetch(CFileDownload& download) : download_(download) {}
    bool StartDownloading(const std::string& source, const std::string& destination) override {
        return download_.StartDownloading(source, destination);
    }
    void AbortDownloading() override { download_.AbortDownloading(); }
    TransferFailure LastFailure() const override { return download_.LastFailure(); }
    void SetSizeCap(std::int64_t maxBytes) override { download_.SetSizeCap(maxBytes); }

private:
    CFileDownload& download_;
};

}  // namespace tunewell::transfer
