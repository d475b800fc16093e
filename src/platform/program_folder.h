// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

namespace tunewell::platform {

// The folder of the running executable, without a trailing separator.
// Config.ini and the update script live there.
std::string ProgramFolder();

// The main program's file name on this platform ("Tunewell.exe" on
// Windows, "Tunewell" elsewhere): what UpDate replaces, ends and starts.
std::string MainProgramFileName();

}  // namespace tunewell::platform
