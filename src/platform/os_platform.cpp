// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/os_platform.h"

namespace tunewell::platform {

std::string WindowsDiskDevice(const std::string& platformCode, unsigned drive) {
    if (platformCode == "WNT") return "\\\\.\\PhysicalDrive" + std::to_string(drive);
    if (platformCode == "W95" || platformCode == "W98") return "\\\\.\\Smartvsd";
    return {};
}

}  // namespace tunewell::platform
