#include "shell/progress_bar_widget.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>

namespace tunewell::widgets {

ProgressBar::ProgressBar(QWidget* parent) : QWidget(parent) {}

void ProgressBar::SetValue(int value) {
    value = std::clamp(value, 0, 100);
    if (value == value_) return;
    value_ = value;
    update();
}

void ProgressBar::SetText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    update();
}

void ProgressBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect box = rect().adjusted(0, 0, -1, -1);
    painter.setPen(QColor(0x8E, 0xA9, 0xC4));
    painter.setBrush(QColor(0xFF, 0xFF, 0xFF));
    painter.drawRect(box);

    const int filled = (box.width() - 1) * value_ / 100;
    if (filled > 0) {
        const QRect bar(box.left() + 1, box.top() + 1, filled, box.height() - 1);
        QLinearGradient fill(bar.topLeft(), bar.bottomLeft());
        fill.setColorAt(0, QColor(0x9F, 0xD3, 0x6B));
        fill.setColorAt(1, QColor(0x5C, 0xA8, 0x2E));
        painter.fillRect(bar, fill);
    }
    painter.setPen(QColor(0x1E, 0x2B, 0x38));
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignCenter, text_);
}

}  // namespace tunewell::widgets
