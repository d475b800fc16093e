// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

namespace tunewell::platform {

// UTF-8 <-> UTF-16 for the ...W calls. Invalid UTF-8 becomes U+FFFD (the
// name then simply does not match anything); unpaired surrogates from the
// system likewise.
std::wstring Wide(const std::string& utf8);
std::string Narrow(const std::wstring& wide);
std::string Narrow(const wchar_t* wide, std::size_t length);

// A path for the ...W calls: forward slashes turned into backslashes, which
// some calls (ReplaceFileW, the shell) do not accept otherwise.
std::wstring WidePath(const std::string& utf8);

}  // namespace tunewell::platform
