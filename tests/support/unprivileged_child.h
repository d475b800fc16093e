// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Linux only: runs one step of a test in a child process that file
// permissions bind. Run as root (as CI is), permission tests would test
// nothing: root reads and writes whatever the mode bits say. The child
// therefore gives up root for the "nobody" account first; run as an
// ordinary user it keeps that user.
#include <grp.h>
#include <pwd.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

namespace tunewell::testing {

// The exit code meaning "this cannot be tested here": returned when no
// unprivileged child can be made, and for a step to return when it finds
// the permissions do not bind it after all.
inline constexpr int kNotTestableHere = 77;

// Runs `step` in a child process without root's rights and returns the
// child's exit code (the step's result), or kNotTestableHere. As root, the
// paths in `handOver` are first given to the account the child runs as, so
// that only their mode bits stand in its way. The child is waited for by its
// id; it runs no test assertions (they would not reach this process).
inline int RunUnprivileged(const std::vector<std::string>& handOver, const std::function<int()>& step) {
    uid_t uid = ::getuid();
    gid_t gid = ::getgid();
    const bool root = ::geteuid() == 0;
    if (root) {
        const passwd* nobody = ::getpwnam("nobody");
        if (nobody == nullptr || nobody->pw_uid == 0) return kNotTestableHere;
        uid = nobody->pw_uid;
        gid = nobody->pw_gid;
        for (const std::string& path : handOver) {
            if (::chown(path.c_str(), uid, gid) != 0) return kNotTestableHere;
        }
    }
    const pid_t child = ::fork();
    if (child < 0) return kNotTestableHere;
    if (child == 0) {
        if (root && (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)) {
            ::_exit(kNotTestableHere);
        }
        // A root that could not really give its rights up (setuid(0) works
        // again) would make the test meaningless.
        if (root && ::setuid(0) == 0) ::_exit(kNotTestableHere);
        int code = kNotTestableHere;
        try {
            code = step();
        } catch (...) {
            code = 125;
        }
        ::_exit(code);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return 126;
    return WEXITSTATUS(status);
}

}  // namespace tunewell::testing
