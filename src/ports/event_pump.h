// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace tunewell::ports {

// "Let the window process pending events". Work on the UI thread calls this
// around requests and inside transfer progress, so clicks stay live and may
// re-enter handlers (that is how a running download is paused).
class EventPump {
public:
    virtual ~EventPump() = default;
    virtual void ProcessPending() = 0;
};

}  // namespace tunewell::ports
