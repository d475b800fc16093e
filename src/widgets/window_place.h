// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QObject>
#include <QPoint>
#include <QSize>

class QWidget;

namespace tunewell::widgets {

// Keeps a top-level window where it was across hiding and showing (the
// settings window taking over, the tray, a failed sign-in): the place is
// taken when the window hides and given back as it shows again, before the
// window system maps it; a window manager that places the mapped window
// anew is undone once, within a second of showing (a move made while the
// window is hidden is undone the same way).
// The keeper is a child of the window and lives as long as it.
//
// Across starts, the owner stores Place() when the window closes and hands
// it to StartAt() before the window first shows; a place no screen shows
// any more (a monitor since removed) is passed over.
class WindowPlace : public QObject {
public:
    explicit WindowPlace(QWidget* window);

    // Where the window is, or was when it last hid (a hidden or minimised
    // window's own position may be the platform's placeholder).
    QPoint Place() const;
    // The window goes to `place` and shows there, when enough of its top
    // edge (where it is dragged) lies on a screen; false, and nothing
    // changes, when it does not.
    bool StartAt(QPoint place);
    // Whether a window of `size` at `place` can be reached and dragged: a
    // strip along its top edge at least kReachable pixels wide lies on one
    // screen.
    static bool OnAScreen(QPoint place, QSize size);
    static constexpr int kReachable = 80;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    QPoint place_;
    bool known_ = false;
    bool settling_ = false;  // just shown: a move by the window manager is undone
};

}  // namespace tunewell::widgets
