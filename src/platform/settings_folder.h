#pragma once
#include <string>

namespace tunewell::platform {

// Where Config.ini lives for a program installed in `programFolder`.
// The program folder itself whenever the user can write there (a copy
// unpacked anywhere, the build folder) or a Config.ini there is writable;
// otherwise (an existing folder the user cannot write, as for a system-wide
// installation) the user's own settings
// folder: "$XDG_CONFIG_HOME/tunewell", or "~/.config/tunewell" without
// XDG_CONFIG_HOME. That folder is created (mode 0700) on first use; when
// it cannot be, the program folder is returned and writes fail visibly.
std::string SettingsFolder(const std::string& programFolder);

}  // namespace tunewell::platform
