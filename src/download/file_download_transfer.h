#pragma once
#include "download/song_transfer.h"
#include "transfer/file_download.h"

namespace tunewell::download {

// The window's transfer::CFileDownload seen as the download run's SongTransfer. The
// transfer::CFileDownload is borrowed; its owner installs OnProgress and the pump.
class FileDownloadTransfer : public SongTransfer {
public:
    explicit FileDownloadTransfer(transfer::CFileDownload& download) : download_(download) {}
    bool StartDownloading(const std::string& source, const std::string& destination) override {
        return download_.StartDownloading(source, destination);
    }
    void AbortDownloading() override { download_.AbortDownloading(); }
    transfer::TransferFailure LastFailure() const override { return download_.LastFailure(); }
    void SetSizeCap(std::int64_t maxBytes) override { download_.SetSizeCap(maxBytes); }

private:
    transfer::CFileDownload& download_;
};

}  // namespace tunewell::download
