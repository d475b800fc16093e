// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <ctime>

namespace tunewell::platform {

// Calendar fields of a moment, thread-safely (gmtime_r/localtime_r; the
// _s forms on Windows). False when the moment cannot be represented.
bool UtcFields(std::time_t moment, std::tm& fields);
bool LocalFields(std::time_t moment, std::tm& fields);

}  // namespace tunewell::platform
