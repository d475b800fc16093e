// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

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
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const std::string out = folder + "/out.txt", err = folder + "/err.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    CliOutcome outcome;
    if (::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    outcome.out = ReadBytes(out);
    outcome.err = ReadBytes(err);
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    return outcome;
}

}  // namespace tunewell::testing
