// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

namespace tunewell::platform {

// Starting programs that outlive this one. Both start the child in its own
// session with standard input from the null device, and return false when
// it could not be started (a missing or unreadable file).

// Runs the shell script `scriptPath` with /bin/sh (on Windows: UpDate.vbs
// through wscript.exe).
bool StartDetachedScript(const std::string& scriptPath);

// Starts the program `programPath` without arguments, in `workFolder`.
bool StartDetachedProgram(const std::string& programPath, const std::string& workFolder);

}  // namespace tunewell::platform
