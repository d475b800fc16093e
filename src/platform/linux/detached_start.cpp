// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/detached_start.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

extern char** environ;

namespace tunewell::platform {
namespace {

bool Spawn(const std::string& program, std::vector<std::string> arguments, const std::string& workFolder) {
    posix_spawnattr_t attributes;
    if (posix_spawnattr_init(&attributes) != 0) return false;
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (!workFolder.empty()) posix_spawn_file_actions_addchdir_np(&actions, workFolder.c_str());
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    const int result = posix_spawn(&child, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    return result == 0;
}

}  // namespace

bool StartDetachedScript(const std::string& scriptPath) {
    // The shell would start and then fail on a missing script; check first
    // so the caller learns of it.
    struct stat info {};
    if (::stat(scriptPath.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || ::access(scriptPath.c_str(), R_OK) != 0) {
        return false;
    }
    return Spawn("/bin/sh", {"/bin/sh", scriptPath}, "");
}

bool StartDetachedProgram(const std::string& programPath, const std::string& workFolder) {
    return Spawn(programPath, {programPath}, workFolder);
}

}  // namespace tunewell::platform
