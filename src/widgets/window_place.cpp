// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/window_place.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace tunewell::widgets {
namespace {

// How long after showing a placement by the window manager is undone.
constexpr int kSettleMs = 1000;

}  // namespace

WindowPlace::WindowPlace(QWidget* window) : QObject(window), window_(window) {
    window_->installEventFilter(this);
}

bool WindowPlace::eventFilter(QObject* watched, QEvent* event) {
    if (watched != window_) return false;
    switch (event->type()) {
    case QEvent::Hide:
        place_ = window_->pos();
        known_ = true;
        settling_ = false;
        break;
    case QEvent::Show:
        if (!known_) break;
        if (window_->pos() != place_) window_->move(place_);
        // A window manager may place the mapped window anew (and Qt then
        // reports a move): that move is undone while the window settles.
        settling_ = true;
        QTimer::singleShot(kSettleMs, this, [this] { settling_ = false; });
        break;
    case QEvent::Move:
        if (settling_ && window_->isVisible() && window_->pos() != place_) {
            settling_ = false;
            QTimer::singleShot(0, this, [this] { window_->move(place_); });
        }
        break;
    default:
        break;
    }
    return false;
}

}  // namespace tunewell::widgets
