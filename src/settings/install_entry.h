// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "platform/install_record.h"

namespace tunewell::settings {

// The uninstall entry the Windows installer writes for this program.
inline constexpr const char* kUninstallEntry = "Tunewell";

// True when the entry's InstallLocation `location` names `programFolder`.
// Either separator, closing separators and the case of ASCII letters make
// no difference (Windows names ignore case). An empty location names
// nothing.
bool NamesFolder(const std::string& location, const std::string& programFolder);

// The entry among `records` that names `programFolder`, the first one
// found; nullptr when none does. Points into `records`.
const platform::InstallRecord* RecordOfFolder(const std::vector<platform::InstallRecord>& records,
                                              const std::string& programFolder);

// True when an installer's entry names `programFolder`: the copy there is
// an installed one, not one unpacked by hand.
bool HasInstallRecord(const std::string& programFolder);

// Sets one value of the entry in `scope`; true when it was written.
using InstallValueWriter =
    std::function<bool(platform::InstallScope scope, const std::string& name, const std::string& value)>;

// Keeps DisplayVersion of the entry that names `programFolder` in step with
// `version`, which a self-update otherwise leaves behind. Writes only when
// the two differ; does nothing without such an entry. The result of the
// write is ignored: a stale list of programs is no reason to stop.
void KeepRecordInStep(const std::vector<platform::InstallRecord>& records, const std::string& programFolder,
                      const std::string& version, const InstallValueWriter& write);

// KeepRecordInStep with the system's entries and this build's version.
void KeepInstallRecordInStep(const std::string& programFolder);

}  // namespace tunewell::settings
