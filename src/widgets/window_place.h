#pragma once
#include <QObject>
#include <QPoint>

class QWidget;

namespace tunewell::widgets {

// Keeps a top-level window where it was across hiding and showing (the
// settings window taking over, the tray, a failed sign-in): the place is
// taken when the window hides and given back as it shows again, before the
// window system maps it, so a window manager does not put it elsewhere
// (a move made while the window is hidden is undone the same way).
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
};

}  // namespace tunewell::widgets
