// SPDX-License-Identifier: GPL-3.0-or-later
// The download run's tags (WriteTags): a saved MP3 carries the title and
// performer it was named after.
#include "base/text.h"
#include "download/download_run.h"
#include "download/failure_text.h"

namespace tunewell::download {
namespace {

bool IsMp3Name(const std::string& fileName) {
    constexpr std::string_view kMp3 = ".mp3";
    return fileName.size() > kMp3.size() && base::LowerAscii(fileName.substr(fileName.size() - kMp3.size())) == kMp3;
}

}  // namespace

transfer::FinishStep DownloadRun::TagStep(const PreparedSong& song) {
    tagged_.erase(song.k);
    if (config_.WriteTags == 0 || !IsMp3Name(song.fileName)) return {};
    auto write = services_.writeTags ? services_.writeTags : &tags::WriteMp3Tags;
    return [this, k = song.k, tags = song.tags, write = std::move(write)](const std::string& path) {
        tagged_[k] = write(path, tags);
    };
}

void DownloadRun::TagsEnded(const PreparedSong& song, bool saved) {
    const auto outcome = tagged_.find(song.k);
    if (outcome == tagged_.end()) return;
    const tags::TagOutcome result = outcome->second;
    tagged_.erase(outcome);
    if (!saved || result == tags::TagOutcome::kWritten) return;
    const std::string note = result == tags::TagOutcome::kNotMp3 ? kNotMp3TagsText : kTagsFailedText;
    ui_.status.SetText(song.fileName + "：" + note);
    observer_.SongNote(song.k, song.fileName, note);
}

}  // namespace tunewell::download
