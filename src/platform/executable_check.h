#pragma once
#include <string>
#include <string_view>

namespace tunewell::platform {

// Whether a file is a program this platform can start: here an ELF file or
// a script that names its interpreter ("#!"); on Windows a file starting
// with "MZ". A file that fails this test is never installed as the program.

// Decides from the first bytes of a file (at least four are needed).
bool LooksStartable(std::string_view head);
// Reads the first bytes of `path`; false when it cannot be read.
bool IsStartableFile(const std::string& path);

}  // namespace tunewell::platform
