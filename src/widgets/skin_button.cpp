// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/skin_button.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>

#include "chrome/skin_paint.h"

namespace tunewell::widgets {

SkinButton::SkinButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
}

chrome::SkinButtonState SkinButton::State() const {
    if (!isEnabled()) return chrome::SkinButtonState::Disabled;
    if (isDown()) return chrome::SkinButtonState::Pressed;
    if (underMouse()) return chrome::SkinButtonState::Hover;
    return chrome::SkinButtonState::Normal;
}

void SkinButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    chrome::PaintSkinButton(painter, rect(), text(), State(), hasFocus() && keyboardFocus_);
}

// The face follows the pointer: repaint on entering and leaving.
void SkinButton::enterEvent(QEnterEvent* event) {
    QPushButton::enterEvent(event);
    update();
}

void SkinButton::leaveEvent(QEvent* event) {
    QPushButton::leaveEvent(event);
    update();
}

}  // namespace tunewell::widgets

namespace tunewell::widgets {

void SkinButton::focusInEvent(QFocusEvent* event) {
    // A window coming back to the front keeps the cue it had.
    const Qt::FocusReason reason = event->reason();
    if (reason != Qt::ActiveWindowFocusReason) {
        keyboardFocus_ = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                         reason == Qt::ShortcutFocusReason;
    }
    QPushButton::focusInEvent(event);
}

void SkinButton::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && event->modifiers() == Qt::NoModifier && !event->isAutoRepeat()) {
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void SkinButton::focusOutEvent(QFocusEvent* event) {
    // Switching windows keeps the cue as it was; other focus moves end it.
    if (event->reason() != Qt::ActiveWindowFocusReason) keyboardFocus_ = false;
    QPushButton::focusOutEvent(event);
}

}  // namespace tunewell::widgets
