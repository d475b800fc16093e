// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/automation_object.h"

namespace tunewell::platform {

std::unique_ptr<AutomationObject> AutomationObject::Create(const std::string&) { return nullptr; }

}  // namespace tunewell::platform
