// SPDX-License-Identifier: GPL-3.0-or-later
// The download run's use of the saved-songs record: recording each song
// saved, and with SkipSaved leaving out the songs saved before.
#include <chrono>
#include <utility>

#include "download/download_run.h"
#include "platform/file_io.h"
#include "text/text_utils.h"

namespace tunewell::download {

std::vector<std::string> DownloadRun::SavedFilesOf(const Ticked& ticked) {
    std::vector<std::string> saved(ticked.ids.size());
    if (services_.savedSongs == nullptr || config_.SkipSaved == 0) return saved;
    services_.savedSongs->Load();  // a run elsewhere may have added to it
    for (std::size_t row = 0; row < ticked.ids.size(); ++row) {
        if (const auto entry = services_.savedSongs->StillSaved(ticked.ids[row])) saved[row] = entry->path;
    }
    return saved;
}

std::vector<PlayEntries::Entry> DownloadRun::MergeSaved(PlayEntries& play, const std::vector<std::string>& saved,
                                                        const std::vector<std::size_t>& askedRows) {
    std::vector<PlayEntries::Entry> entries;
    savedFiles_.clear();
    std::size_t nextRow = 0;  // the saved rows before it are placed
    const auto placeSavedBefore = [&](std::size_t end) {
        for (; nextRow < end; ++nextRow) {
            if (saved[nextRow].empty()) continue;
            entries.push_back({std::string(), nextRow, std::string()});
            savedFiles_.push_back(saved[nextRow]);
        }
    };
    for (PlayEntries::Entry& entry : play.entries) {
        if (entry.row != PlayEntries::kNoRow) {
            entry.row = askedRows[entry.row];
            placeSavedBefore(entry.row);
        }
        entries.push_back(std::move(entry));
        savedFiles_.emplace_back();
    }
    placeSavedBefore(saved.size());
    return entries;
}

bool DownloadRun::SkipIfSaved(int k, const PlayEntries::Entry& entry, const Ticked& ticked) {
    const std::size_t position = static_cast<std::size_t>(k);
    if (position > savedFiles_.size() || savedFiles_[position - 1].empty() || entry.row >= ticked.ids.size()) {
        return false;
    }
    ui_.events.ProcessPending();
    if (state_ != State::Running) {
        stopRequested_ = true;  // paused meanwhile
        return true;
    }
    ui_.songs.RemoveByTag(text::ToNumber(ticked.ids[entry.row]).value);
    ++outcome_.skipped;
    observer_.SongEnded(k, savedFiles_[position - 1], ports::RunObserver::SongOutcome::Skipped);
    ++succeeded_;
    return true;
}

void DownloadRun::RecordSaved(const PreparedSong& song) {
    if (services_.savedSongs == nullptr) return;
    // A device or pipe as target (/dev/null) saves nothing to find again.
    const platform::PathStatus status = platform::StatusOf(song.destination, true);
    if (status.kind != platform::PathStatus::Kind::kFile) return;
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    services_.savedSongs->Add(
        {song.id, song.destination, status.size, std::chrono::duration_cast<std::chrono::seconds>(now).count()});
}

}  // namespace tunewell::download
