#include "widgets/window_place.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace tunewell::widgets {

WindowPlace::WindowPlace(QWidget* window) : QObject(window), window_(window) {
    window_->installEventFilter(this);
}

bool WindowPlace::eventFilter(QObject* watched, QEvent* event) {
    if (watched != window_) return false;
    if (event->type() == QEvent::Hide) {
        place_ = window_->pos();
        known_ = true;
    } else if (event->type() == QEvent::Show && known_) {
        if (window_->pos() != place_) window_->move(place_);
        // Some window managers place a mapped window anew: once more after.
        QTimer::singleShot(0, this, [this] {
            if (window_->isVisible() && window_->pos() != place_) window_->move(place_);
        });
    }
    return false;
}

}  // namespace tunewell::widgets
