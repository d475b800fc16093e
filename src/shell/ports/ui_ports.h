#pragma once
#include "shell/ports/event_pump.h"
#include "shell/ports/message_box.h"
#include "shell/ports/song_list.h"
#include "shell/ports/status_line.h"
#include "shell/ports/window_switcher.h"

namespace tunewell::shell {

// The window-facing effects of the list step and the download run, bundled.
// The owner (a window or the command-line front end) outlives every use.
struct UiPorts {
    StatusLine& status;
    MessageBox& message;
    SongList& songs;
    EventPump& events;
    WindowSwitcher& windows;
};

}  // namespace tunewell::shell
