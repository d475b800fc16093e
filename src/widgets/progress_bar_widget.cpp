// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/progress_bar_widget.h"

#include <QPainter>

#include <algorithm>

#include "chrome/skin_paint.h"

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
    painter.setFont(font());
    chrome::PaintProgressBar(painter, rect(), value_, text_);
}

}  // namespace tunewell::widgets
