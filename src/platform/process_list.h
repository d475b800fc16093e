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

}  // namespace tunewell::platform
