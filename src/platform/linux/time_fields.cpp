// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/time_fields.h"

namespace tunewell::platform {

bool UtcFields(std::time_t moment, std::tm& fields) { return ::gmtime_r(&moment, &fields) != nullptr; }
bool LocalFields(std::time_t moment, std::tm& fields) { return ::localtime_r(&moment, &fields) != nullptr; }

}  // namespace tunewell::platform
