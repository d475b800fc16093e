// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Runs one program to its end with its standard output and error in files,
// and reports the largest resident size the kernel saw for it (the peak of
// that process alone, whatever the bench itself holds). Linux only.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern char** environ;

namespace tunewell::bench {

struct ChildRun {
    int exitStatus = -1;  // -1: could not start, or ended by a signal
    double maxRssMB = 0;  // MiB
    std::string out, err;
};

// The environment of the bench with every proxy setting removed and
// http_proxy set to `proxy`, so the child reaches nothing but the demo site.
inline std::vector<std::string> ProxyEnvironment(const std::string& proxy) {
    std::vector<std::string> env;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('='));
        std::string lower = name;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (lower.size() >= 6 && lower.compare(lower.size() - 6, 6, "_proxy") == 0) continue;
        env.push_back(text);
    }
    env.push_back("http_proxy=" + proxy);
    return env;
}

inline std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// `args[0]` is the program's path. Output goes through files in `folder`.
inline ChildRun RunChild(std::vector<std::string> args, std::vector<std::string> env, const std::string& folder) {
    ChildRun run;
    const std::string outPath = folder + "/child.out";
    const std::string errPath = folder + "/child.err";
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& entry : env) envp.push_back(entry.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return run;
    int status = 0;
    struct rusage usage {};
    if (::wait4(pid, &status, 0, &usage) != pid) return run;
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.maxRssMB = static_cast<double>(usage.ru_maxrss) / 1024.0;  // the kernel counts KiB
    run.out = ReadWhole(outPath);
    run.err = ReadWhole(errPath);
    return run;
}

// Lines of `text` (a last line without its line feed counts).
inline int LineCount(const std::string& text) {
    int lines = 0;
    for (char c : text) lines += c == '\n';
    return lines + (!text.empty() && text.back() != '\n');
}

}  // namespace tunewell::bench
