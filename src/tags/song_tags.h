// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

namespace tunewell::tags {

// What a saved song is called, UTF-8: the title and performer its file
// name was made from. An empty performer writes none.
struct SongTags {
    std::string title;
    std::string performer;
};

enum class TagOutcome {
    kWritten,  // the file carries the tag
    kNotMp3,   // no MPEG audio in the file: left exactly as it was
    kFailed,   // the file could not be opened or written
};

// Gives the MP3 file at `path` (UTF-8) an ID3v2.3 tag whose title (TIT2)
// and performer (TPE1) are `tags`, written UTF-16 so that players on every
// platform read Chinese: the title and performer frames the file had are
// replaced, every other frame (pictures, album, ...) is kept. An ID3v1 tag
// at the file's end stays as it was: it holds Latin-1 only, and players
// read ID3v2 first. The tagged file is written beside the old one and
// replaces it in one rename, so on any failure (a full disk, a file that
// is not ours to replace) the file stays exactly as it was; it needs room
// for a second copy of the song meanwhile. The file must not be open for
// writing elsewhere (Windows would refuse the rename).
TagOutcome WriteMp3Tags(const std::string& path, const SongTags& tags);

}  // namespace tunewell::tags
