// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ports/song_list.h"

namespace tunewell::download {

// The record of the songs runs have saved, kept beside Config.ini, so that
// a later run can leave out what is already there (SkipSaved).
//
// The file only ever grows: one line per saved song, appended after the
// song has its final name, so a crash leaves at worst a torn last line and
// never records a song that is not there. Each line carries its own check
// value; a torn or damaged line is passed over, the others still count.
// Only the last kMaxReadBytes of the file are read (the newest lines), so
// a huge or foreign file costs little. Nothing about the record ever makes
// a run fail: a record that cannot be read is empty, one that cannot be
// written loses that line.
class SavedSongs {
public:
    struct Entry {
        std::string id;          // the song id as the play page is asked for it
        std::string path;        // the saved file, UTF-8
        std::int64_t size = 0;   // its size in bytes when saved
        std::int64_t time = 0;   // when it was saved, seconds since 1970
    };

    static constexpr std::int64_t kMaxReadBytes = 4 * 1024 * 1024;

    // `path` empty: a record that holds and keeps nothing.
    explicit SavedSongs(std::string path);

    const std::string& Path() const { return path_; }

    // Reads the file again (another run may have added to it meanwhile).
    void Load();

    // Appends `entry` to the file and to what Load read. False when the
    // line could not be written (the file locked by another writer for too
    // long, a full disk, a folder that takes no files).
    bool Add(const Entry& entry);

    // The newest entry of `id` whose file is still there as an ordinary
    // file of the recorded size; nothing otherwise.
    std::optional<Entry> StillSaved(const std::string& id) const;

    std::size_t Count() const { return byId_.size(); }

private:
    std::string path_;
    std::map<std::string, Entry> byId_;  // the newest line of each id
};

// Marks the rows of `songs` whose song `saved` holds as still saved (the
// ids as a run asks for them).
void MarkSavedRows(ports::SongList& songs, const SavedSongs& saved);

// One record line, newline included (pure).
std::string SavedLine(const SavedSongs::Entry& entry);
// The good lines of a record's text, oldest first; a last line without its
// newline is torn and left out (pure).
std::vector<SavedSongs::Entry> ParseSavedLines(const std::string& text);

}  // namespace tunewell::download
