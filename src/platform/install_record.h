// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>
#include <vector>

namespace tunewell::platform {

// The uninstall entry an installer leaves for the system's list of
// installed programs (on Windows the key <entry> under
// ...\CurrentVersion\Uninstall of the user or of the machine). A copy
// the package manager or the user put in place has none: on Linux there is
// never one.

enum class InstallScope {
    kUser,     // installed for the current user only
    kMachine,  // installed for every user
};

struct InstallRecord {
    InstallScope scope = InstallScope::kUser;
    std::string location;        // InstallLocation, UTF-8, as written; may be empty
    std::string displayVersion;  // DisplayVersion, empty when missing
};

// The entries named `entry` that exist, the user's first. Empty when there
// are none or they cannot be read.
std::vector<InstallRecord> InstallRecords(const std::string& entry);

// Sets the string value `name` of the existing entry `entry` in `scope`;
// an entry that is missing is not created. False when it fails (no such
// entry, no right to write it).
bool SetInstallValue(InstallScope scope, const std::string& entry, const std::string& name,
                     const std::string& value);

// What an installer does, for tests standing in for one: creates the entry
// (or keeps it) with InstallLocation and DisplayVersion set; and removes
// it. False when it fails; always false on Linux.
bool WriteInstallRecord(InstallScope scope, const std::string& entry, const InstallRecord& record);
bool RemoveInstallRecord(InstallScope scope, const std::string& entry);

}  // namespace tunewell::platform
