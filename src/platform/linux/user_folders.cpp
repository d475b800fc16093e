// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/user_folders.h"

#include <fcntl.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

extern char** environ;

namespace tunewell::platform {
namespace {

std::string Absolute(const char* text) {
    if (text == nullptr || text[0] != '/') return {};
    std::string path(text);
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

// The first executable "xdg-user-dir" on PATH; empty when there is none.
std::string FindXdgUserDir() {
    const char* path = std::getenv("PATH");
    const std::string list = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t at = 0;
    while (at <= list.size()) {
        std::size_t colon = list.find(':', at);
        if (colon == std::string::npos) colon = list.size();
        const std::string folder = list.substr(at, colon - at);
        at = colon + 1;
        if (folder.empty() || folder[0] != '/') continue;  // never the current folder
        const std::string candidate = folder + "/xdg-user-dir";
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}

// Runs `program` with one argument and returns what it printed (at most
// 4 KiB); empty when it could not run or failed.
std::string OutputOf(const std::string& program, const char* argument) {
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::string name = program;
    std::string value = argument;
    char* argv[] = {name.data(), value.data(), nullptr};
    pid_t child = 0;
    const int started = posix_spawn(&child, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    std::string output;
    if (started == 0) {
        char buffer[512];
        for (;;) {
            const ssize_t got = ::read(pipeEnds[0], buffer, sizeof buffer);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) break;
            if (output.size() < 4096) output.append(buffer, static_cast<std::size_t>(got));
        }
    }
    ::close(pipeEnds[0]);
    if (started != 0) return {};
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
    return output;
}

}  // namespace

std::string UserConfigHome() { return Absolute(std::getenv("XDG_CONFIG_HOME")); }

std::string UserHome() {
    const std::string home = Absolute(std::getenv("HOME"));
    if (!home.empty()) return home;
    const passwd* entry = ::getpwuid(::geteuid());
    return entry != nullptr ? Absolute(entry->pw_dir) : std::string();
}

std::string XdgMusicFolder() {
    const std::string program = FindXdgUserDir();
    if (program.empty()) return {};
    std::string output = OutputOf(program, "MUSIC");
    const std::size_t end = output.find('\n');
    if (end != std::string::npos) output.resize(end);
    return Absolute(output.c_str());
}

}  // namespace tunewell::platform
