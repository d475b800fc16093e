// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>
#include <vector>

namespace tunewell::ports {

// What a download run reports while it works. The run keeps its own state;
// a front end turns these events into what it shows (the main window: the
// download button's caption and Tag and the progress bar; the command
// line: one line per song). Calls arrive on the run's thread, possibly
// from inside a pending-events step.
// How a run ended, for the front end's closing words.
struct RunOutcome {
    int saved = 0;      // songs that arrived in the save folder
    int handedOff = 0;  // songs the download manager accepted
    int skipped = 0;    // songs left out as saved by an earlier run (SkipSaved)
    // Songs that failed on their own (a pause fails none), and ticked rows
    // the play page could not resolve.
    int failed = 0;
    // "name：cause" of the first failures, in the order they happened.
    std::vector<std::string> firstFailures;
    // The run's own message box already said why it ended (a full disk, a
    // play page that failed before any song started).
    bool told = false;
};

class RunObserver {
public:
    enum class SongOutcome {
        Saved,      // the whole file arrived in the save folder
        Failed,     // the transfer or the hand-off did not succeed
        HandedOff,  // the download manager accepted the task
        Skipped,    // saved by an earlier run and still there: not fetched;
                    // the file name is then the saved file's whole path
    };

    virtual ~RunObserver() = default;
    // A click started a run over the ticked songs.
    virtual void RunStarted() = 0;
    // A click paused the run; the song under way is being aborted and the
    // run ends (RunEnded) at its next step.
    virtual void RunPaused() = 0;
    // The run is over (finished, paused or stopped); the front end shows idle.
    virtual void RunEnded() = 0;
    // A transfer report: bytes so far, the announced total (0 when
    // unknown) and the speed in KB/s.
    virtual void SongProgress(long long bytes, long long total, int speedKb) = 0;
    // With several songs transferred side by side, reports stand for the
    // whole run instead: its combined percent (0..100) and the songs'
    // combined speed in KB/s. Shown like a song at that percent unless the
    // front end shows it otherwise.
    virtual void CombinedProgress(int percent, int speedKb) { SongProgress(percent, 100, speedKb); }
    // Song number `position` (1-based, in play-page order) failed, and
    // why, in words for the user ("保存文件夹不可写", "服务器返回HTTP 404",
    // ...). Its SongEnded with Failed follows.
    virtual void SongFailed(int position, const std::string& fileName, const std::string& reason) = 0;
    // A remark on song number `position` that does not fail it (its tags
    // could not be written); its SongEnded with Saved follows.
    virtual void SongNote(int /*position*/, const std::string& /*fileName*/, const std::string& /*note*/) {}
    // Song number `position` (1-based, in play-page order) is done.
    virtual void SongEnded(int position, const std::string& fileName, SongOutcome outcome) = 0;
    // The run is over and idle again (after RunEnded and any message of the
    // run's own): what it did, for the front end to sum up.
    virtual void RunOver(const RunOutcome& /*outcome*/) {}
};

}  // namespace tunewell::ports
