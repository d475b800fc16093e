// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/process_list.h"
#include "support/fake_process_table.h"

namespace tunewell::testing {

// The system's table limited to the processes the test started: they are
// seen as the system reports them, and only they can be ended (by id).
class StartedProcessTable : public platform::ProcessTable {
public:
    explicit StartedProcessTable(std::vector<std::int32_t> started) : started_(std::move(started)) {}
    std::vector<platform::ProcessInfo> Snapshot() const override {
        std::vector<platform::ProcessInfo> mine;
        for (auto& process : system_.Snapshot()) {
            if (Started(process.id)) mine.push_back(std::move(process));
        }
        return mine;
    }
    bool End(std::int32_t id) override { return Started(id) && system_.End(id); }

private:
    bool Started(std::int32_t id) const { return std::find(started_.begin(), started_.end(), id) != started_.end(); }
    platform::SystemProcessTable system_;
    std::vector<std::int32_t> started_;
};

// Starts `program` with one argument; its id, or -1.
inline pid_t StartProcess(const std::string& program, const std::string& argument) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::execl(program.c_str(), program.c_str(), argument.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    return child;
}

// Waits until process `id` runs the program file `program` (it has exec'd).
inline bool WaitUntilRunning(pid_t id, const std::string& program) {
    for (int attempt = 0; attempt < 500; ++attempt) {
        char target[4096] = {};
        const std::string link = "/proc/" + std::to_string(id) + "/exe";
        const ssize_t length = ::readlink(link.c_str(), target, sizeof target - 1);
        if (length > 0 && std::string(target, static_cast<std::size_t>(length)) == program) return true;
        ::usleep(10000);
    }
    return false;
}

// Ends a process the test started, by id, and reaps it.
inline void EndStarted(pid_t id) {
    if (id <= 0) return;
    ::kill(id, SIGKILL);
    ::waitpid(id, nullptr, 0);
}

// Whether commands can run in a private process space here (root, or a
// system that allows unprivileged user namespaces).
inline bool PrivateProcessSpaceAvailable() {
    return std::system("unshare --pid --fork --mount-proc true >/dev/null 2>&1") == 0;
}

}  // namespace tunewell::testing
