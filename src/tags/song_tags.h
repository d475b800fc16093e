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
// read ID3v2 first. The file is changed in place and must not be open
// elsewhere (Windows refuses a second writer); a failure may leave it
// partly rewritten, so callers tag a file nobody sees under its name yet.
TagOutcome WriteMp3Tags(const std::string& path, const SongTags& tags);

}  // namespace tunewell::tags
