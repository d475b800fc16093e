// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>
#include <string>

namespace tunewell::cli {

// Pure: the lines of --json, one JSON object per song, each ending in a
// newline. Texts that are not UTF-8 have their bad bytes replaced, so every
// line parses.

// list: {"row":1,"id":3001,"name":"..."}; an id that is no whole number
// keeps its text.
std::string ListJsonLine(int row, double id, const std::string& idText, const std::string& name);

// download: one song's end.
struct SongReport {
    int row = 0;
    double id = 0;
    std::string idText;
    std::optional<std::string> file;  // the file's path; nothing when no song was started
    long long bytes = 0;              // of the saved file; 0 otherwise
    std::string result;               // "saved", "handed_off", "skipped", "failed" or "not_started"
    std::optional<std::string> cause;  // why it failed or did not start
    std::optional<std::string> note;   // what a saved song lacks (an MP3 left untagged)
};
// {"row":2,"id":3002,"file":"/m/a.mp3","bytes":204800,"result":"saved","cause":null,"note":null}
std::string SongJsonLine(const SongReport& report);

}  // namespace tunewell::cli
