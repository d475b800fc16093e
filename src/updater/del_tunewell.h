#pragma once
#include <functional>
#include <string>

namespace tunewell::updater {

// The main program's process name as the updater matches it: the
// executable's file name, lower-cased.
inline constexpr const char* kMainProgramName = "tunewell";

struct EndedProcess {
    int id = 0;
    std::string name;
};

// Ends the first running process (in process-id order) whose executable
// name, lower-cased, is `name`. Returns what it ended, or an id of 0 when
// nothing matched. `procRoot` and `terminate` (SIGKILL by default) are
// seams for tests.
EndedProcess DelTunewell(const std::string& name = kMainProgramName,
                         const std::string& procRoot = "/proc",
                         const std::function<void(int)>& terminate = {});

}  // namespace tunewell::updater
