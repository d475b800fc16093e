#pragma once
#include <string>

namespace tunewell::platform {

// The folder of the running executable, without a trailing separator.
// Config.ini and the update script live there.
std::string ProgramFolder();

}  // namespace tunewell::platform
