#pragma once
#include <string>
#include <string_view>

namespace tunewell::platform {

// Whether a file is a program this platform can start: here an ELF program
// or shared object for this machine (word size, byte order and processor
// as this program's own); on Windows a PE file ("MZ" and the "PE" header it
// points to). A script is never one, whatever interpreter it names. A file
// that fails this test is never installed as the program.

// Decides from the first bytes of a file (at least 20 are needed here).
bool LooksStartable(std::string_view head);
// Reads the first bytes of `path`; false when it cannot be read.
bool IsStartableFile(const std::string& path);

}  // namespace tunewell::platform
