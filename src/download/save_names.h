// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "download/play_entries.h"
#include "tags/song_tags.h"

namespace tunewell::download {

// The one place where what a site says about a song becomes the name it is
// saved (or handed to the download manager) under. A page chooses titles
// and addresses, so every rule that keeps it from choosing a file the
// program or the user depends on lives here. One object per run: every
// song takes its name from it before it starts, also when several run at
// once, and it remembers the names it gave.
//
// A name is number + stem + extension:
//  - number: with numbering on, the song's position and "." (two digits at
//    least: "01.", "10.", "123."); nothing otherwise.
//  - stem: the title, and " - " and the performer when there is one; the
//    row's display name instead when the title has fewer than 3
//    characters. Cleaned by text::CleanFileName (no folder separator, no
//    character Windows refuses, no control character), without dots and
//    without blanks at its end. An empty stem without a number takes the
//    row's display name, cleaned the same way, and "song" when that is
//    empty too: no name starts with "." (a hidden file).
//  - extension: the text after the last "." of the address's path (the
//    address before any "?" or "#"), lower-cased, when it is one of
//    AudioExtensions(); ".mp3" otherwise. No page can make a program, a
//    library, a script or a settings file.
//  - a name whose part before its first "." is a Windows device name (CON,
//    PRN, AUX, NUL, COM0 to COM9, LPT0 to LPT9, also with a superscript
//    digit, in any case) gets "_" after its stem: "Con_.mp3". This holds
//    on every platform, so that a song has the same name wherever it is
//    saved and a collection can move to Windows, FAT players and shares.
//  - a name that is one of `reserved` (the program's own files) or was
//    given out earlier in the run, letters compared without case (two such
//    names are one file on Windows), gets " (2)", " (3)", ... before its
//    extension.
//  - at most `maxBytes` bytes: the stem is cut at a character boundary.
// A file that was in the folder before the run is not looked at: it is
// replaced, as before, once the new one is complete.
// The title and performer a song's name is made from (see SaveNames), as
// written: the title, or the row's display name when the title is too
// short, and the page's performer; control characters left out.
tags::SongTags NamedAfter(const PlayEntry& song, const std::string& rowName);

class SaveNames {
public:
    // Config.ini, its lock, both programs, UpDate and the update scripts.
    static std::vector<std::string> ProgramFiles();
    // The extensions a song may be saved with, lower-case, without the dot.
    static const std::vector<std::string_view>& AudioExtensions();

    explicit SaveNames(const std::vector<std::string>& reserved = ProgramFiles(), std::size_t maxBytes = 255);

    // The name of the song `song` of the play page, at `position` (from 1)
    // of the run, whose row shows `rowName`. Never empty, never holds a
    // folder separator; a second call with the same song gives another name.
    std::string NameFor(const PlayEntry& song, const std::string& rowName, int position, bool numbered);

private:
    // number + stem + suffix + extension within maxBytes_, the stem cut to
    // fit and changed when the whole would be a device name.
    std::string Compose(const std::string& number, const std::string& stem, const std::string& suffix,
                        const std::string& extension) const;
    bool Taken(const std::string& name) const;

    std::set<std::string> reserved_;  // case-folded
    std::set<std::string> given_;     // case-folded
    std::size_t maxBytes_;
};

}  // namespace tunewell::download
