// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

#include "hosts/site_hosts.h"

namespace tunewell::testing {

// Addresses on the three outside servers, built from the configured hosts so
// that no test names a host of its own. `path` starts with "/".
inline std::string MusicUrl(const std::string& path, const std::string& sub = "") {
    return "http://" + sub + hosts::kMusicHost + path;
}
inline std::string VersionUrl(const std::string& path) { return hosts::kVersionServer + path; }
inline std::string FileHostUrl(const std::string& path, const std::string& sub = "www.") {
    return "http://" + sub + hosts::kFileHostDomain + path;
}

}  // namespace tunewell::testing
