// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "ports/event_pump.h"
#include "ports/message_box.h"
#include "ports/song_list.h"
#include "ports/status_line.h"
#include "ports/window_switcher.h"

namespace tunewell::ports {

// The window-facing effects of the list step and the download run, bundled.
// The owner (a window or the command-line front end) outlives every use.
struct UiPorts {
    StatusLine& status;
    MessageBox& message;
    SongList& songs;
    EventPump& events;
    WindowSwitcher& windows;
};

}  // namespace tunewell::ports
