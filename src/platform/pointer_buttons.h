// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace tunewell::platform {

// Whether the user is holding the primary mouse button down right now, as
// the window system sees it (not as events handed to a window say).
// A window move handed to the window system follows a held button until it
// comes up; asked for without one (a press made by a program, say) it
// would wait for a release that never comes. Returns true where the window
// system refuses such a move itself (X11 and Wayland do).
bool PrimaryButtonHeld();

}  // namespace tunewell::platform
