// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tunewell::platform {

// One snapshot of the running processes, in the system's order (ascending
// process id): executable file names without a path, and their ids.
struct ProcessList {
    std::vector<std::string> names;
    std::vector<std::int32_t> ids;
};

// Reads /proc (or `procRoot`, for tests). A process's name is the file name
// of its executable, falling back to its command line's first word and then
// to its short kernel name when the executable cannot be read.
ProcessList ListProcesses(const std::string& procRoot = "/proc");

// True when a process has exactly this executable name (case-sensitive);
// writes the first such process's id to `processId` (untouched otherwise).
bool IsProcessRunning(const std::string& name, std::int32_t& processId,
                      const std::string& procRoot = "/proc");

// One running process as the program updaters see it.
struct ProcessInfo {
    std::int32_t id = 0;
    std::string executable;  // full path of its program file, as the system reports it
    bool sameUser = false;   // runs as this user
};

// The process table the updaters end the old program through. The system's
// table reads /proc (a snapshot and TerminateProcess on Windows); tests
// inject their own so they never touch a process they did not start.
class ProcessTable {
public:
    virtual ~ProcessTable() = default;
    // Every process visible now, in ascending id order.
    virtual std::vector<ProcessInfo> Snapshot() const = 0;
    // Ends the process by force; false when it could not be ended. The
    // system's table on Windows waits up to 5 s for the process to be gone.
    virtual bool End(std::int32_t id) = 0;
};

// The system's table (over `procRoot`, "/proc" for the real one). This
// process itself is never listed.
class SystemProcessTable : public ProcessTable {
public:
    explicit SystemProcessTable(std::string procRoot = "/proc") : procRoot_(std::move(procRoot)) {}
    std::vector<ProcessInfo> Snapshot() const override;
    bool End(std::int32_t id) override;

private:
    std::string procRoot_;
};

// The processes of this user whose executable is the file `programPath`
// (compared after resolving links; a program file replaced since it was
// started counts as well, the system reporting it as "<path> (deleted)").
// A program of the same name in another folder is not among them.
std::vector<ProcessInfo> ProcessesOfProgram(const ProcessTable& table, const std::string& programPath);

}  // namespace tunewell::platform
