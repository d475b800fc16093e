#pragma once
#include <string>
#include <vector>

namespace tunewell::cli {

// The command line of tunewell-cli, as curl, wget and aria2 users expect:
// options may stand before, between or after the words, "--" ends them,
// and a value may follow its option as the next word or after "=" (and
// directly after "-o").
struct CommandLine {
    enum class Action { kHelp, kVersion, kList, kDownload, kWrong };
    Action action = Action::kWrong;
    std::string address;   // empty for list: ListUrl of Config.ini
    std::string rows = "all";
    std::string output;    // -o/--output: the save folder for this run; empty: SavePath
    bool save = false;     // --save: store the address and the save folder
    bool thunder = false;  // --thunder: hand the songs to aria2
    int jobs = 0;          // -j/--jobs N: songs at a time, brought within 1..8; 0: Jobs of Config.ini
    std::string problem;   // for kWrong: what is wrong, in Chinese
};

// Pure: reads the arguments after the program's name. --help and
// --version win over everything else, even a wrong rest.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The help text (standard output, exit status 0).
std::string HelpText();

}  // namespace tunewell::cli
