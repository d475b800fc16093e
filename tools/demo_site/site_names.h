// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

#include "hosts/site_hosts.h"

namespace tunewell::demo {

// The host names and addresses the demo site answers for, built from the
// configured hosts so the demo site follows whatever a build chooses.
inline std::string MusicHostName(const std::string& sub = "") { return sub + hosts::kMusicHost; }
inline std::string FileHostName(const std::string& sub = "") { return sub + hosts::kFileHostDomain; }
inline std::string VersionHostName() { return hosts::kVersionServerHost; }

// `path` starts with "/".
inline std::string MusicAddress(const std::string& path, const std::string& sub = "") {
    return "http://" + MusicHostName(sub) + path;
}
inline std::string FileHostAddress(const std::string& path, const std::string& sub) {
    return "http://" + FileHostName(sub) + path;
}
inline std::string VersionAddress(const std::string& path) { return hosts::kVersionServer + path; }

}  // namespace tunewell::demo
