// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>
#include <vector>

namespace tunewell::platform {

// The command-line front end's arguments as UTF-8 text. Linux passes them
// as they are; Windows hands narrow arguments over in the ANSI code page,
// so there they are read from the wide command line instead.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// Makes the console show the UTF-8 text the program writes (Windows
// consoles otherwise read it in their own code page). Does nothing when
// there is no console or on Linux.
void UseUtf8Console();

}  // namespace tunewell::platform
