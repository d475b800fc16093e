// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

namespace tunewell::platform {

// What this user may do with a folder: the facts the settings store needs
// to tell a copy of the program the user keeps from one the system
// installed. Everything false for a path that is no folder.
struct FolderFacts {
    bool exists = false;       // an existing folder
    bool ownedByUser = false;  // owned by the effective user (root counts as owner of root's folders)
    bool writable = false;     // this user may create files in it
};
FolderFacts FactsOfFolder(const std::string& folder);

// True when `path` is an existing file this user may write.
bool IsWritableFile(const std::string& path);

// True when this user may put a new file at `path` by a rename in its
// folder: the folder can be written, and so can a file already there (a
// running program's file counts when only its use stands in the way).
bool MayReplaceFile(const std::string& path);

// Creates `folder` and any missing parents, each new one with `mode` (less
// the umask). True when the folder exists afterwards.
bool MakeFolders(const std::string& folder, int mode);

}  // namespace tunewell::platform
