#include "shell/page_wait.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QWindow>

namespace tunewell::shell {
namespace {

bool IsMouseInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
        return true;
    default:
        return false;
    }
}

bool IsKeyInput(QEvent::Type type) {
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
        return true;
    default:
        return false;
    }
}

}  // namespace

PageWait::PageWait(std::function<bool(const QObject*)> keepsInput, QObject* parent)
    : QObject(parent), keepsInput_(std::move(keepsInput)) {
    // A request made outside a window step (nobody to end its wait) ends
    // it when the event loop next idles: the request has returned by then.
    if (auto* dispatcher = QAbstractEventDispatcher::instance()) {
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] { End(false); });
    }
}

PageWait::~PageWait() {
    if (!active_) return;
    qApp->removeEventFilter(this);
    QApplication::restoreOverrideCursor();
}

void PageWait::Begin() {
    if (active_) return;
    active_ = true;
    qApp->installEventFilter(this);
    QApplication::setOverrideCursor(Qt::BusyCursor);
}

void PageWait::Pump() {
    Begin();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void PageWait::End(bool dropQueued) {
    if (!active_ || ending_) return;
    ending_ = true;
    // Clicks and keys queued since the last step still belong to the wait.
    if (dropQueued) QCoreApplication::processEvents(QEventLoop::AllEvents);
    qApp->removeEventFilter(this);
    QApplication::restoreOverrideCursor();
    active_ = false;
    ending_ = false;
}

bool PageWait::Drops(const QObject* receiver, const QEvent* event) const {
    const QEvent::Type type = event->type();
    // Keys never reach the caption; shortcuts may go to plain objects.
    if (IsKeyInput(type)) return true;
    if (!IsMouseInput(type)) return false;
    // The window system's window hands the mouse on to the widget under
    // it, where the decision is made.
    if (receiver->isWindowType()) return false;
    return !(keepsInput_ && keepsInput_(receiver));
}

bool PageWait::eventFilter(QObject* watched, QEvent* event) {
    return active_ && Drops(watched, event);
}

}  // namespace tunewell::shell
