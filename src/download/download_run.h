// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "download/play_entries.h"
#include "download/save_names.h"
#include "download/saved_songs.h"
#include "transfer/file_fetch.h"
#include "download/thunder_hand_off.h"
#include "ports/download_controls.h"
#include "ports/run_observer.h"
#include "ports/ui_ports.h"
#include "settings/config.h"
#include "tags/song_tags.h"
#include "transfer/transfer_batch.h"

namespace tunewell::download {

// What the download button does. A click while idle checks the
// preconditions and runs through the ticked songs one after another; a
// click that arrives while a run waits in a pending-events step pauses it
// by aborting the transfer in progress. The run keeps its state itself and
// reports what happens to the observer, which shows it.
//
// A song that fails for lack of disk space (its partial gone, see
// transfer::TransferJob) ends the run: no further song starts, the songs in
// flight beside it are aborted as by a pause (their partials kept), the
// rows not reached stay as they are, and once the run is over the message
// box says why, once (kDiskFullStopText).
//
// With Jobs above 1 (Config.ini) up to that many songs are transferred at
// a time, side by side on the same thread through one multi handle
// (transfer::TransferBatch), not through `transfer`: each song is
// prepared in play-page order as a place frees, ends on its own (its row
// removed as soon as it is saved, a failure touching only it), the
// observer gets the run's combined progress, and a pause aborts every
// transfer in flight, keeping their partials. Hand-offs to the download
// manager stay one after another.
//
// A song that fails for a passing cause (see IsPassingFailure) is tried
// again up to Retries times (Config.ini), after a wait that tells the
// status line "第k次重试…" and ends at once on a pause; side by side, a
// waiting song keeps its place. SpeedLimit caps the whole run's rate.
//
// With WriteTags a song saved as ".mp3" gets the title and performer it
// was named after as its tags, written into its partial before it takes
// its name. A song whose tags cannot be written (no MP3 inside, a damaged
// file) is saved all the same, with the server's bytes, and the observer
// and the status line are told (SongNote).
// Every reference is borrowed and must outlive the run.
class DownloadRun {
public:
    enum class State { Idle, Running };

    struct Services {
        transfer::FileFetch& transfer;
        // Makes the download manager's agent; empty: aria2 at
        // `managerEndpoint` with the Aria2Secret of the settings at the time
        // of the hand-off.
        AgentFactory agents = {};
        // Whether a process of that executable name runs (seam for tests).
        std::function<bool(const std::string&)> isRunning = {};
        // aria2's JSON-RPC address; empty: its usual loopback address.
        std::string managerEndpoint = {};
        // Whether a folder can take new files (seam for tests; a privileged
        // user writes into read-only folders).
        std::function<bool(const std::string&)> isWritableFolder = {};
        // The free space of a folder for the songs side by side; empty asks
        // the system (seam for tests; `transfer` has its own).
        transfer::FreeSpaceProbe freeSpace = {};
        // The saved-songs record: every song saved goes into it, and with
        // SkipSaved a ticked song it holds (its file still there) is left
        // out. Null: no record.
        SavedSongs* savedSongs = nullptr;
        // Writes a saved MP3's tags (WriteTags); empty: tags::WriteMp3Tags.
        std::function<tags::TagOutcome(const std::string& path, const tags::SongTags& tags)> writeTags = {};
    };

    DownloadRun(ports::UiPorts& ui, ports::DownloadControls& controls, ports::RunObserver& observer,
                const settings::Config& config, Services services);

    void cmdDown_Click();

    // Ends a run at its next step and aborts the transfer under way (the
    // window closing); while idle it only aborts a transfer.
    void Stop();

    // The transfer's progress report, passed on to the observer.
    void ShowProgress(long long bytes, long long total, int speedKb = 0);

    State CurrentState() const { return state_; }
    // Songs transferred or handed off / failed in the last run (front ends).
    int Succeeded() const { return succeeded_; }
    int Failed() const { return failed_; }

private:
    // The ticked rows, top to bottom: the id texts the play page is asked
    // for and each row's own display name, kept apart so that no character
    // of a name can shift the others.
    struct Ticked {
        std::vector<std::string> ids;
        std::vector<std::string> names;
    };
    // A song ready to start: its position, name, address, row tag and the
    // play page it came from.
    struct PreparedSong {
        int k;
        std::string fileName;
        std::string source;
        double tag;
        std::string playAddress;
        std::string id;           // as the play page was asked for it
        std::string destination;  // the file it is saved as
        tags::SongTags tags;      // what it was named after
    };

    bool CheckPreconditions(Ticked& ticked);
    void Run(const Ticked& ticked);
    void DownloadEntry(int k, const PlayEntries::Entry& entry, const Ticked& ticked, SaveNames& names);
    // The rows the play page did not answer for fail with its cause;
    // `askedRows`: the ticked row of each id it was asked for.
    void PlayPageFailed(const PlayEntries& play, const Ticked& ticked, const std::vector<std::size_t>& askedRows);
    // With SkipSaved, the saved file of each ticked row saved earlier (empty
    // for the others); the play page is asked only for the others. Their
    // entries are put back in row order, and savedFiles_ filled by position.
    std::vector<std::string> SavedFilesOf(const Ticked& ticked);
    std::vector<PlayEntries::Entry> MergeSaved(PlayEntries& play, const std::vector<std::string>& saved,
                                               const std::vector<std::size_t>& askedRows);
    // A song left out as saved: done, its row removed. False when song `k`
    // is not such a song.
    bool SkipIfSaved(int k, const PlayEntries::Entry& entry, const Ticked& ticked);
    // Puts a saved song into the record.
    void RecordSaved(const PreparedSong& song);
    // Everything before a song starts, in order: events, parsing, naming,
    // the status texts, the file host's cookie. Nothing when the entry has
    // no song, or when a pause came meanwhile (stopRequested_ is then set).
    std::optional<PreparedSong> PrepareEntry(int k, const PlayEntries::Entry& entry, const Ticked& ticked,
                                             SaveNames& names);
    void HandOffSong(const PreparedSong& song);
    // The step that tags song `song` before it takes its name; empty when
    // it is not to be tagged (download_run_tags.cpp).
    transfer::FinishStep TagStep(const PreparedSong& song);
    // Tells of tags that a saved song did not get; forgets its outcome.
    void TagsEnded(const PreparedSong& song, bool saved);
    // The run's speed limit in bytes a second (0: none).
    std::int64_t RateLimit() const;
    // Whether a song may be tried again, for the `retry`th time, after it
    // failed so: retries left, a passing cause, the run going on.
    bool MayRetry(int retry, const transfer::TransferFailure& failure) const;
    // Says so and waits before the `retry`th retry of a song that failed
    // with `failure`. False when the song is not tried again; a pause
    // during the wait makes `failure` kAborted.
    bool WaitToRetry(int retry, transfer::TransferFailure& failure);
    // A transfer's end: its outcome, the row removed when saved, events;
    // the run stops when the disk is full.
    void TransferEnded(const PreparedSong& song, bool saved, const transfer::TransferFailure& failure);
    // The run over the play entries with up to config_.Jobs transfers at a
    // time (download_run_jobs.cpp).
    void RunSideBySide(const std::vector<PlayEntries::Entry>& entries, const Ticked& ticked, SaveNames& names);
    // `mark`: the reason goes on the row (not for a song that was stopped).
    void SongFailed(int k, const std::string& fileName, double tag, const std::string& reason, bool mark = true);
    // A failure of the run's own, for its outcome.
    void CountFailure(const std::string& name, const std::string& reason);
    // False with the reason when the manager did not take the song.
    bool HandOff(const std::string& source, const std::string& fileName, const std::string& folder,
                 const std::string& playAddress, std::string& reason);
    void Pause();
    // No song starts after this one, those in flight are aborted.
    void StopForLackOfSpace();
    void EndRun();

    ports::UiPorts& ui_;
    ports::DownloadControls& controls_;
    ports::RunObserver& observer_;
    const settings::Config& config_;
    Services services_;
    State state_ = State::Idle;
    bool stopRequested_ = false;
    // Why the run stopped by itself, for the message box at its end.
    std::string stopMessage_;
    // The songs side by side while RunSideBySide runs; nullptr otherwise.
    transfer::TransferBatch* batch_ = nullptr;
    int succeeded_ = 0;
    int failed_ = 0;
    ports::RunOutcome outcome_;
    // The saved file of each position left out as saved; empty otherwise.
    std::vector<std::string> savedFiles_;
    // How writing the tags of the songs in flight went, by position.
    std::map<int, tags::TagOutcome> tagged_;
};

}  // namespace tunewell::download
