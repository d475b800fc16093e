// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QObject>

namespace tunewell::shell {

// The window's side of a page request (a list page, a sign-in, the play
// page, a file-host page, the version check). The request calls Pump()
// while it waits; the first call begins the wait. Every step processes the
// window system's pending events as they come: the window repaints, runs
// its timers and takes clicks and keys at once (ticking rows, minimising,
// the tray, a pause of the download run), so nothing is kept for later.
// Handlers that must not run inside another step guard themselves. While a
// wait is under way the pointer shows the busy cursor.
//
// End() closes the wait (the busy cursor goes). The window ends a wait when
// the step lets it process events outside a request, before any modal box,
// and when the step returns. A wait nobody ends (a request made outside a
// window step) ends when the event loop is next about to idle.
class PageWait : public QObject {
public:
    explicit PageWait(QObject* parent = nullptr);
    ~PageWait() override;

    // One step of the wait: begins it if needed, then processes pending events.
    void Pump();
    // Ends a wait under way; does nothing otherwise.
    void End();
    bool Active() const { return active_; }

private:
    void Begin();

    bool active_ = false;
};

}  // namespace tunewell::shell
