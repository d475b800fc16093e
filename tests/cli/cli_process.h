// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <sys/wait.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/spawn_child.h"
#include "support/temp_folder.h"

namespace tunewell::testing {

struct CliOutcome {
    int status = -1;
    std::string out, err;
};

// Runs the tunewell-cli copied into `folder` (its Config.ini lives there)
// to its end, with standard input empty and standard output and error
// going to files (not a terminal).
inline CliOutcome RunCliIn(const std::string& folder, std::vector<std::string> args) {
    args.insert(args.begin(), folder + "/tunewell-cli");
    const std::string out = folder + "/out.txt", err = folder + "/err.txt";
    CliOutcome outcome;
    const pid_t pid = SpawnChild(std::move(args), out, err);
    if (pid > 0) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    outcome.out = ReadBytes(out);
    outcome.err = ReadBytes(err);
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    return outcome;
}

}  // namespace tunewell::testing
