// SPDX-License-Identifier: GPL-3.0-or-later
#include "updater/del_tunewell.h"

namespace tunewell::updater {

EndedProcess DelTunewell(platform::ProcessTable& table, const std::string& programPath) {
    EndedProcess first;
    for (const platform::ProcessInfo& process : platform::ProcessesOfProgram(table, programPath)) {
        // Ended by force, as the old program must not write its settings
        // after the new one has started.
        if (!table.End(process.id) || first.id != 0) continue;
        first.id = process.id;
        const auto slash = process.executable.rfind('/');
        first.name = slash == std::string::npos ? process.executable : process.executable.substr(slash + 1);
    }
    return first;
}

}  // namespace tunewell::updater
