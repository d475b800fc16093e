// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/pointer_buttons.h"

#include <windows.h>

namespace tunewell::platform {

// The asynchronous state is the physical one: with the buttons swapped for
// a left-handed user, the primary button is the right one.
bool PrimaryButtonHeld() {
    const int primary = ::GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
    return (::GetAsyncKeyState(primary) & 0x8000) != 0;
}

}  // namespace tunewell::platform
