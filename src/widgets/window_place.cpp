// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/window_place.h"

#include <QEvent>
#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace tunewell::widgets {
namespace {

// How long after showing a placement by the window manager is undone.
constexpr int kSettleMs = 1000;
// The height of the strip along the top edge that must be on a screen.
constexpr int kTopStrip = 20;

}  // namespace

WindowPlace::WindowPlace(QWidget* window) : QObject(window), window_(window) {
    window_->installEventFilter(this);
}

QPoint WindowPlace::Place() const {
    if (known_ && (!window_->isVisible() || window_->isMinimized())) return place_;
    return window_->pos();
}

bool WindowPlace::StartAt(QPoint place) {
    if (!OnAScreen(place, window_->size())) return false;
    place_ = place;
    known_ = true;  // the first Show puts it there and undoes a window manager's own placing
    window_->move(place);
    return true;
}

bool WindowPlace::OnAScreen(QPoint place, QSize size) {
    const QRect strip(place, QSize(size.width(), std::min(kTopStrip, size.height())));
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect seen = strip & screen->geometry();
        if (seen.width() >= std::min(kReachable, strip.width()) && seen.height() == strip.height()) return true;
    }
    return false;
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
