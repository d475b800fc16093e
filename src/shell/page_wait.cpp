// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/page_wait.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCursor>

namespace tunewell::shell {

PageWait::PageWait(QObject* parent) : QObject(parent) {
    // A request made outside a window step (nobody to end its wait) ends
    // it when the event loop next idles: the request has returned by then.
    if (auto* dispatcher = QAbstractEventDispatcher::instance()) {
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] { End(); });
    }
}

PageWait::~PageWait() { End(); }

void PageWait::Begin() {
    if (active_) return;
    active_ = true;
    QApplication::setOverrideCursor(Qt::BusyCursor);
}

void PageWait::Pump() {
    Begin();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void PageWait::End() {
    if (!active_) return;
    active_ = false;
    QApplication::restoreOverrideCursor();
}

}  // namespace tunewell::shell
