// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

namespace tunewell::platform {

// The user's temporary folder with a closing separator ($TMPDIR, else
// /tmp, blanks trimmed); empty when the path would not fit 255 characters.
std::string TempFolder();

// Creates a new folder only this user can enter (mode 0700) under
// TempFolder(), named `prefix` and six random characters, and returns its
// path without a closing separator. Never reuses or follows an existing
// name, so another user's leftovers can neither block nor redirect it.
// Empty on failure.
std::string MakePrivateFolder(const std::string& prefix);

// Removes a folder made by MakePrivateFolder with the files in it (not
// following links). Missing folders are fine.
void RemovePrivateFolder(const std::string& folder);

}  // namespace tunewell::platform
