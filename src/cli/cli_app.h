#pragma once
#include <string>
#include <vector>

namespace tunewell::cli {

// The command-line front end: the list step and the download run without
// windows, for scripts, the demo and tests. Settings come from Config.ini
// in `programFolder`. Returns the process exit status.
int RunCli(const std::vector<std::string>& args, const std::string& programFolder);

}  // namespace tunewell::cli
