// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>
#include <string>
#include <vector>

namespace tunewell::cli {

// The command line of tunewell-cli, read as getopt_long reads one: options
// may stand before, between or after the words and "--" ends them; short
// options may be bundled ("-qj4"), and a value may be attached ("-j4",
// "-o/m") or follow as the next word; a long option's value may follow
// after "=" or as the next word, and a long name may be shortened to any
// prefix that names one option only ("--out", "--js").
struct CommandLine {
    enum class Action { kHelp, kVersion, kList, kDownload, kWrong };
    Action action = Action::kWrong;
    std::string address;   // empty for list: ListUrl of Config.ini
    std::string rows = "all";
    std::string output;    // -o/--output: the save folder for this run; empty: SavePath
    bool save = false;     // --save: store the address and the save folder
    bool thunder = false;  // --thunder: hand the songs to aria2
    bool quiet = false;    // -q/--quiet: errors only on standard error
    bool json = false;     // --json: one JSON object per song on standard output
    bool tags = false;       // --tags: saved MP3s get their title and performer (WriteTags=1)
    bool skipSaved = false;  // --skip-saved: leave out the songs saved before (SkipSaved=1)
    int jobs = 0;          // -j/--jobs N: songs at a time, brought within 1..8; 0: Jobs of Config.ini
    int retries = -1;      // --retries N: 0..10 retries of a passing failure; -1: Retries of Config.ini
    // --limit-rate RATE: the run's speed in KB/s (bytes rounded up; 0 none);
    // -1: SpeedLimit of Config.ini.
    long long limitRate = -1;
    int pages = 0;         // --pages N: the most list pages to fetch, 1..32767; 0: GetPage of Config.ini
    std::string problem;   // for kWrong: what is wrong, in Chinese
};

// Pure: reads the arguments after the program's name. --help and
// --version win over everything else, even a wrong rest.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// A --limit-rate value in KB/s, rounded up: bytes a second, or with a K or
// M (any case) kibibytes or mebibytes ("500K", "2M"); 0 is no limit. No
// value when the text is no such rate or more than about 10 GB/s.
std::optional<long long> RateInKb(const std::string& text);

// The help text (standard output, exit status 0).
std::string HelpText();

}  // namespace tunewell::cli
