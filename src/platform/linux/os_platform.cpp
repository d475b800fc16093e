// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/os_platform.h"

namespace tunewell::platform {

std::string OsPlatformCode() { return "WNT"; }

}  // namespace tunewell::platform
