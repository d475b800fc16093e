// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace tunewell::platform {

// Whether a file is a program this platform can start: here an ELF program
// or shared object for this machine (word size, byte order and processor
// as this program's own); on Windows a PE program image for this machine
// ("MZ", the "PE" header it points to, this processor, not a DLL). A
// script is never one, whatever interpreter it names. A file that fails
// this test is never installed as the program.

// How many of a file's first bytes are enough to decide: an ELF header
// needs 20; a PE header sits where the DOS header points, which linkers
// keep within the first few hundred bytes.
inline constexpr std::size_t kStartableHeadBytes = 4096;

// Decides from the first bytes of a file (up to kStartableHeadBytes).
bool LooksStartable(std::string_view head);
// Reads the first bytes of `path`; false when it cannot be read.
bool IsStartableFile(const std::string& path);

}  // namespace tunewell::platform
