#pragma once
#include <string>

namespace tunewell::ports {

// What a download run reports while it works. The run keeps its own state;
// a front end turns these events into what it shows (the main window: the
// download button's caption and Tag and the progress bar; the command
// line: one line per song). Calls arrive on the run's thread, possibly
// from inside a pending-events step.
class RunObserver {
public:
    enum class SongOutcome {
        Saved,      // the whole file arrived in the save folder
        Failed,     // the transfer or the hand-off did not succeed
        HandedOff,  // the download manager accepted the task
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
    // Song number `position` (1-based, in play-page order) failed, and
    // why, in words for the user ("保存文件夹不可写", "服务器返回HTTP 404",
    // ...). Its SongEnded with Failed follows.
    virtual void SongFailed(int position, const std::string& fileName, const std::string& reason) = 0;
    // Song number `position` (1-based, in play-page order) is done.
    virtual void SongEnded(int position, const std::string& fileName, SongOutcome outcome) = 0;
};

}  // namespace tunewell::ports
