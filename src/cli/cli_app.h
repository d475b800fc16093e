// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>
#include <vector>

namespace tunewell::cli {

// Exit statuses, one per cause (the manual page lists them); an interrupt
// gives 128 + the signal number (cli/interrupt.h).
inline constexpr int kExitOk = 0;
inline constexpr int kExitSongsFailed = 1;   // a song was not saved or handed over
inline constexpr int kExitWrongLine = 2;     // the command line or ROWS was wrong
inline constexpr int kExitSiteFailed = 3;    // no list, or the play page gave no song
inline constexpr int kExitCannotStart = 4;   // the save folder or the download manager is missing

// The command-line front end: the list step and the download run without
// windows, for scripts, the demo and tests. Settings come from Config.ini
// in `programFolder`. Returns the process exit status.
int RunCli(const std::vector<std::string>& args, const std::string& programFolder);

}  // namespace tunewell::cli
