// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/terminal.h"
#include "ports/download_controls.h"
#include "ports/run_observer.h"

namespace tunewell::cli {

// The tick box and save folder of the command-line front end (fixed choices
// from the command line) and what it shows of a run: with `liveProgress`
// (by default when the stream is a terminal) the progress of the song under
// way on one line rewritten with carriage returns (sizes, speed and time
// left; speed 0 until a song's second report measures it, never negative);
// in any case one line per song's outcome, with the reason of a failure. A
// file or a pipe thus gets only whole lines. Quiet: failures only.
class ConsoleControls : public ports::DownloadControls, public ports::RunObserver {
public:
    // One song's end, for a report of the whole run (--json).
    struct SongResult {
        int position = 0;  // in run order, 1-based
        int row = 0;       // the list row it came from (RowOf)
        std::string fileName;
        SongOutcome outcome = SongOutcome::Failed;
        std::string cause;  // why it failed; empty otherwise
        std::string note;   // what a saved song lacks (an MP3 left untagged); empty otherwise
    };

    ConsoleControls(std::string savePath, bool useManager, std::FILE* out = stderr)
        : ConsoleControls(std::move(savePath), useManager, out, platform::IsTerminal(out)) {}
    ConsoleControls(std::string savePath, bool useManager, std::FILE* out, bool liveProgress)
        : savePath_(std::move(savePath)), useManager_(useManager), out_(out), liveProgress_(liveProgress) {}

    // The list rows of the run's songs, in run order: lines are numbered by
    // them. Without it, by position.
    void SetRows(std::vector<int> rows) { rows_ = std::move(rows); }
    void SetQuiet(bool quiet) { quiet_ = quiet; }
    // Called after each song's line.
    void SetResultHandler(std::function<void(const SongResult&)> handler) { onResult_ = std::move(handler); }
    // The row of the song at `position`; the position itself when unknown.
    int RowOf(int position) const;

    bool UseDownloadManager() const override { return useManager_; }
    std::string SavePathText() const override { return savePath_; }

    void RunStarted() override {}
    void RunPaused() override {}
    void RunEnded() override;
    void SongProgress(long long bytes, long long total, int speedKb) override;
    void CombinedProgress(int percent, int speedKb) override;
    void SongFailed(int position, const std::string& fileName, const std::string& reason) override;
    void SongNote(int position, const std::string& fileName, const std::string& note) override;
    void SongEnded(int position, const std::string& fileName, SongOutcome outcome) override;

private:
    void EndLine();
    void Rewrite(const std::string& text);

    std::string savePath_;
    bool useManager_;
    std::FILE* out_;
    bool liveProgress_;
    bool quiet_ = false;
    std::vector<int> rows_;
    std::function<void(const SongResult&)> onResult_;
    bool lineOpen_ = false;
    std::string reason_;  // of the song that just failed
    std::string note_;    // on the song that was just saved
    bool speedKnown_ = false;  // the song under way has had a report
    long long speedKb_ = 0;    // smoothed over the song's reports
    long long lastStep_ = -1;
};

}  // namespace tunewell::cli
