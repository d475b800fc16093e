// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <filesystem>

#include "fs/fso_value.h"

namespace tunewell::fs {

// One property of an existing file or folder, selected by the helper's
// information codes:
//   1 date created, 2 date last accessed, 3 date last modified, 4 full path,
//   5 name, 6 type description, 7 size in bytes (a folder: all files below
//   it), 8 parent folder path, 9 the root folder of the mount holding it,
//   0 the values 1 to 8 as text joined by "@"; any other code gives nothing.
// The caller has checked that the item exists. Platform errors (for example
// a vanished item or an unreadable folder) throw
// std::filesystem::filesystem_error.
FsoValue ItemInfo(const std::filesystem::path& item, int infoType);

}  // namespace tunewell::fs
