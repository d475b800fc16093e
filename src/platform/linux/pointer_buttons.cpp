// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/pointer_buttons.h"

namespace tunewell::platform {

// X11 and Wayland start a move only for a press they delivered themselves.
bool PrimaryButtonHeld() { return true; }

}  // namespace tunewell::platform
