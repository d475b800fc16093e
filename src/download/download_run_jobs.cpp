// SPDX-License-Identifier: GPL-3.0-or-later
// The download run with several songs side by side (Jobs above 1).
#include <map>

#include "download/download_run.h"
#include "platform/file_io.h"
#include "download/failure_text.h"
#include "download/run_progress.h"

namespace tunewell::download {

void DownloadRun::RunSideBySide(const std::vector<PlayEntries::Entry>& entries, const Ticked& ticked,
                                SaveNames& names) {
    const std::size_t jobs = static_cast<std::size_t>(config_.Jobs);
    transfer::TransferBatch batch;
    RunProgress progress(entries.size());
    batch.SetFreeSpaceProbe(services_.freeSpace);
    batch.OnProgress = [this, &progress](const std::vector<transfer::TransferBatch::Progress>& running,
                                         std::int32_t speedKb) {
        progress.Update(running);
        observer_.CombinedProgress(progress.Percent(), speedKb);
    };
    // A run started from inside this one's events (a click after a pause,
    // while the aborted songs unwind) has its own batch; this one's comes
    // back after it.
    transfer::TransferBatch* const outer = batch_;
    batch_ = &batch;
    std::map<int, PreparedSong> inFlight;  // by position
    std::size_t next = 1;
    for (;;) {
        // Songs start in play-page order as places free; a pause (also one
        // that comes while a song is being prepared) starts no more.
        while (state_ == State::Running && !stopRequested_ && next <= entries.size() && batch.Running() < jobs) {
            const int k = static_cast<int>(next++);
            if (SkipIfSaved(k, entries[k - 1], ticked)) {
                progress.Ended(k);
                continue;
            }
            const std::optional<PreparedSong> song = PrepareEntry(k, entries[k - 1], ticked, names);
            if (!song) {
                progress.Ended(k);
                continue;
            }
            if (controls_.UseDownloadManager()) {
                HandOffSong(*song);
                progress.Ended(k);
                continue;
            }
            transfer::TransferFailure failure;
            if (batch.Start(k, song->source, controls_.SavePathText() + platform::PathSeparator() + song->fileName, &failure)) {
                inFlight.emplace(k, *song);
                continue;
            }
            progress.Ended(k);
            TransferEnded(*song, false, failure);
        }
        if (batch.Running() == 0) break;
        for (const transfer::TransferBatch::Ended& ended : batch.Round()) {
            const auto song = inFlight.find(ended.id);
            if (song == inFlight.end()) continue;
            progress.Ended(ended.id);
            const PreparedSong finished = song->second;
            inFlight.erase(song);
            TransferEnded(finished, ended.saved, ended.failure);
        }
    }
    batch_ = outer;
}

}  // namespace tunewell::download
