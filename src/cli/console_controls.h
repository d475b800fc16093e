#pragma once
#include <cstdio>
#include <string>

#include "ports/download_controls.h"
#include "ports/progress_bar.h"

namespace tunewell::cli {

// The download button, tick box, save folder and progress bar of the
// command-line front end: fixed choices from the command line, progress on
// one rewritten line of the error stream.
class ConsoleControls : public ports::DownloadControls, public ports::ProgressBar {
public:
    ConsoleControls(std::string savePath, bool useManager, std::FILE* out = stderr)
        : savePath_(std::move(savePath)), useManager_(useManager), out_(out) {}

    std::string ButtonTag() const override { return tag_; }
    void SetButtonTag(const std::string& tag) override { tag_ = tag; }
    void SetButtonCaption(const std::string&) override {}
    bool UseDownloadManager() const override { return useManager_; }
    std::string SavePathText() const override { return savePath_; }

    void SetValue(int) override {}
    void SetText(const std::string& text) override;
    // One progress line for the song being transferred.
    void ShowTransfer(long long bytes, long long total, int speedKb);

private:
    std::string savePath_;
    bool useManager_;
    std::FILE* out_;
    std::string tag_ = "0";
    bool lineOpen_ = false;
    long long lastStep_ = -1;
};

}  // namespace tunewell::cli
