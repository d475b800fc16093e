// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QObject>
#include <QPoint>

class QWidget;

namespace tunewell::widgets {

// Keeps a top-level window where it was across hiding and showing (the
// settings window taking over, the tray, a failed sign-in): the place is
// taken when the window hides and given back as it shows again, before the
// window system maps it; a window manager that places the mapped window
// anew is undone once, within a second of showing (a move made while the
// window is hidden is undone the same way).
// The keeper is a child of the window and lives as long as it.
class WindowPlace : public QObject {
public:
    explicit WindowPlace(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    QPoint place_;
    bool known_ = false;
    bool settling_ = false;  // just shown: a move by the window manager is undone
};

}  // namespace tunewell::widgets
