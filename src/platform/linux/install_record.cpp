// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/install_record.h"

namespace tunewell::platform {

// A Linux copy comes from a package, `cmake --install` or an unpacked
// folder; none leaves an uninstall entry of this kind.
std::vector<InstallRecord> InstallRecords(const std::string&) { return {}; }

bool SetInstallValue(InstallScope, const std::string&, const std::string&, const std::string&) { return false; }

bool WriteInstallRecord(InstallScope, const std::string&, const InstallRecord&) { return false; }

bool RemoveInstallRecord(InstallScope, const std::string&) { return false; }

}  // namespace tunewell::platform
