// SPDX-License-Identifier: GPL-3.0-or-later
// The download run with several songs side by side (Jobs above 1).
#include <algorithm>
#include <chrono>
#include <map>
#include <utility>

#include "download/download_run.h"
#include "platform/file_io.h"
#include "download/failure_text.h"
#include "download/retry_wait.h"
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
    // Songs that failed for a passing cause and wait to be tried again;
    // each keeps its place among the jobs.
    struct Waiting {
        PreparedSong song;
        int retry;  // the retry it waits for, 1 for the first
        std::chrono::steady_clock::time_point due;
    };
    std::map<int, Waiting> waiting;  // by position
    std::map<int, int> retries;      // retries made, by position
    const auto destination = [this](const PreparedSong& song) {
        return controls_.SavePathText() + platform::PathSeparator() + song.fileName;
    };
    const auto going = [this] { return state_ == State::Running && !stopRequested_; };
    const auto failed = [&](const PreparedSong& song, const transfer::TransferFailure& failure) {
        progress.Ended(song.k);
        TransferEnded(song, false, failure);
    };
    batch.SetRateLimit(RateLimit());
    std::size_t next = 1;
    for (;;) {
        // Songs start in play-page order as places free; a pause (also one
        // that comes while a song is being prepared) starts no more.
        while (going() && next <= entries.size() && batch.Running() + waiting.size() < jobs) {
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
            if (batch.Start(k, song->source, destination(*song), &failure, TagStep(*song))) {
                inFlight.emplace(k, *song);
                continue;
            }
            failed(*song, failure);
        }
        // A pause ends the waits: those songs stop as the aborted ones do.
        if (!going()) {
            for (const auto& [k, wait] : std::exchange(waiting, {}))
                failed(wait.song, {transfer::TransferFailure::Cause::kAborted, 0});
        }
        for (auto it = waiting.begin(); it != waiting.end();) {
            if (std::chrono::steady_clock::now() < it->second.due) {
                ++it;
                continue;
            }
            const Waiting wait = it->second;
            it = waiting.erase(it);
            transfer::TransferFailure failure;
            if (batch.Start(wait.song.k, wait.song.source, destination(wait.song), &failure,
                            TagStep(wait.song))) {
                inFlight.emplace(wait.song.k, wait.song);
            } else {
                failed(wait.song, failure);
            }
        }
        if (batch.Running() == 0 && waiting.empty()) break;
        if (batch.Running() == 0) {
            // Only waiting songs: wait for the first of them.
            auto first = waiting.begin()->second.due;
            for (const auto& entry : waiting) first = std::min(first, entry.second.due);
            const auto left = first - std::chrono::steady_clock::now();
            WaitForRetry(std::max(std::chrono::milliseconds(0),
                                  std::chrono::duration_cast<std::chrono::milliseconds>(left)),
                         going);
            continue;
        }
        for (const transfer::TransferBatch::Ended& ended : batch.Round()) {
            const auto song = inFlight.find(ended.id);
            if (song == inFlight.end()) continue;
            const PreparedSong finished = song->second;
            inFlight.erase(song);
            const int retry = retries[ended.id] + 1;
            if (!ended.saved && MayRetry(retry, ended.failure)) {
                retries[ended.id] = retry;
                ui_.status.SetText(RetryText(retry));
                waiting.emplace(ended.id, Waiting{finished, retry,
                                                  std::chrono::steady_clock::now() +
                                                      RetryDelay(retry, ended.failure.retryAfter)});
                continue;
            }
            progress.Ended(ended.id);
            TransferEnded(finished, ended.saved, ended.failure);
        }
    }
    batch_ = outer;
}

}  // namespace tunewell::download
