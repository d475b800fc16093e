// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/time_fields.h"

namespace tunewell::platform {

bool UtcFields(std::time_t moment, std::tm& fields) { return ::gmtime_s(&fields, &moment) == 0; }
bool LocalFields(std::time_t moment, std::tm& fields) { return ::localtime_s(&fields, &moment) == 0; }

}  // namespace tunewell::platform
