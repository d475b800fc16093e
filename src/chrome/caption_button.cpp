// SPDX-License-Identifier: GPL-3.0-or-later
#include "chrome/caption_button.h"

#include <QMouseEvent>
#include <QPainter>

namespace tunewell::chrome {

CaptionButton::CaptionButton(const QImage& states, int stateWidth, QWidget* parent)
    : QWidget(parent), states_(states), stateWidth_(stateWidth) {
    setFixedSize(stateWidth, states.height());
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CaptionButton::SetState(int state) {
    if (state < 1 || state * stateWidth_ > states_.width() || state == state_) return;
    state_ = state;
    update();
}

void CaptionButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect source((state_ - 1) * stateWidth_, 0, stateWidth_, states_.height());
    painter.drawImage(QPoint(0, 0), states_, source);
}

void CaptionButton::mouseMoveEvent(QMouseEvent*) {
    emit MouseMoved();
}

void CaptionButton::mousePressEvent(QMouseEvent* event) {
    pressed_ = true;
    leftPressed_ = event->button() == Qt::LeftButton;
    emit MousePressed();
}

void CaptionButton::mouseReleaseEvent(QMouseEvent* event) {
    if (!pressed_) return;
    const bool clicked = leftPressed_ && event->button() == Qt::LeftButton &&
                         rect().contains(event->position().toPoint());
    pressed_ = false;
    leftPressed_ = false;
    emit MouseReleased(clicked);
}

void CaptionButton::leaveEvent(QEvent*) {
    if (!pressed_) emit MouseLeft();
}

}  // namespace tunewell::chrome
