// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Starts a child program for the tests that run real programs (Linux only):
// standard input empty, standard output and error into the given files
// (/dev/null when empty), the tests' own environment.
#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace tunewell::testing {

// `args[0]` is the program: a path, or with `searchPath` a name looked up in
// PATH. The child's id, or -1 when it could not be started.
inline pid_t SpawnChild(std::vector<std::string> args, const std::string& outPath, const std::string& errPath,
                        bool searchPath = false) {
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const std::string out = outPath.empty() ? "/dev/null" : outPath;
    const std::string err = errPath.empty() ? "/dev/null" : errPath;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    const int started = searchPath ? ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ)
                                   : ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return started == 0 ? pid : -1;
}

}  // namespace tunewell::testing
