// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <filesystem>
#include <string>

namespace tunewell::platform {

// Paths cross the core as UTF-8 text. std::filesystem::path(std::string)
// reads the bytes in the system's narrow encoding, which on Windows is the
// ANSI code page, so Chinese names would be garbled: these two convert
// through char8_t, which every platform reads as UTF-8.
std::filesystem::path Utf8Path(const std::string& utf8);
std::string Utf8String(const std::filesystem::path& path);

}  // namespace tunewell::platform
