#include "widgets/skin_button.h"

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
    chrome::PaintSkinButton(painter, rect(), text(), State(), hasFocus());
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
