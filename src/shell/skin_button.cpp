#include "shell/skin_button.h"

#include <QLinearGradient>
#include <QPainter>

namespace tunewell::widgets {

SkinButton::SkinButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
}

void SkinButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const bool pressed = isDown();
    const bool hover = underMouse() && isEnabled();

    QLinearGradient fill(box.topLeft(), box.bottomLeft());
    const QColor top = pressed ? QColor(0xC9, 0xDD, 0xF2) : hover ? QColor(0xFF, 0xFF, 0xFF) : QColor(0xF7, 0xFA, 0xFD);
    const QColor bottom = pressed ? QColor(0xE4, 0xEE, 0xF8) : QColor(0xD8, 0xE5, 0xF2);
    fill.setColorAt(0, top);
    fill.setColorAt(1, bottom);
    painter.setBrush(fill);
    painter.setPen(hover || hasFocus() ? QColor(0x3C, 0x7F, 0xB1) : QColor(0x8E, 0xA9, 0xC4));
    painter.drawRoundedRect(box, 3, 3);

    painter.setPen(isEnabled() ? QColor(0x1E, 0x2B, 0x38) : QColor(0x90, 0x90, 0x90));
    painter.setFont(font());
    const QRect textBox = rect().translated(pressed ? 1 : 0, pressed ? 1 : 0);
    painter.drawText(textBox, Qt::AlignCenter, text());
}

}  // namespace tunewell::widgets
