// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

#include "platform/process_list.h"

namespace tunewell::updater {

// A process the updater ended: its id (0 when none) and executable name.
struct EndedProcess {
    int id = 0;
    std::string name;
};

// Ends the running main program before its file is replaced: every process
// of this user whose executable is the file `programPath` (see
// platform::ProcessesOfProgram). A program of the same name in another
// folder, or another user's, keeps running. Returns the first process ended
// (lowest id), or an id of 0 when none ran.
EndedProcess DelTunewell(platform::ProcessTable& table, const std::string& programPath);

}  // namespace tunewell::updater
