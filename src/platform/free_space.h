// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace tunewell::platform {

// The bytes this user may still write on the file system that holds the
// existing folder `folder` (quotas and the space kept for the
// administrator taken into account); nothing when the system cannot tell.
std::optional<std::int64_t> FreeSpaceIn(const std::string& folder);

}  // namespace tunewell::platform
