// SPDX-License-Identifier: GPL-3.0-or-later
#include "chrome/skin_paint.h"

#include <QLinearGradient>
#include <QPainter>
#include <algorithm>

namespace tunewell::chrome {

namespace {

struct Face {
    QColor top, bottom, border, text;
};

Face ButtonFace(SkinButtonState state) {
    switch (state) {
    case SkinButtonState::Hover:
        return {QColor(0x5C, 0x6B, 0x80), QColor(0x42, 0x4E, 0x5F), QColor(0x1C, 0x22, 0x2B), Qt::white};
    case SkinButtonState::Pressed:
        return {QColor(0x22, 0x29, 0x33), QColor(0x30, 0x3A, 0x47), QColor(0x14, 0x19, 0x20), Qt::white};
    case SkinButtonState::Disabled:
        return {QColor(0xC3, 0xC9, 0xD1), QColor(0xB2, 0xB9, 0xC2), QColor(0x9A, 0xA3, 0xAE),
                QColor(0xEC, 0xEE, 0xF1)};
    case SkinButtonState::Normal:
        break;
    }
    return {QColor(0x4B, 0x58, 0x6B), QColor(0x31, 0x3B, 0x49), QColor(0x1C, 0x22, 0x2B), Qt::white};
}

QRectF Inset(const QRect& rect, double by) {
    return QRectF(rect).adjusted(by, by, -by, -by);
}

}  // namespace

void PaintSkinButton(QPainter& painter, const QRect& rect, const QString& caption,
                     SkinButtonState state, bool focused) {
    if (rect.width() <= 0 || rect.height() <= 0) return;
    const Face face = ButtonFace(state);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    QLinearGradient fill(rect.topLeft(), rect.bottomLeft());
    fill.setColorAt(0, face.top);
    fill.setColorAt(1, face.bottom);
    painter.setBrush(fill);
    painter.setPen(QPen(face.border, 1));
    painter.drawRoundedRect(Inset(rect, 0.5), 3, 3);
    if (focused && state != SkinButtonState::Disabled) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QColor(255, 255, 255, 110), 1));
        painter.drawRoundedRect(Inset(rect, 2.5), 2, 2);
    }
    painter.setPen(face.text);
    const int shift = state == SkinButtonState::Pressed ? 1 : 0;
    painter.drawText(rect.translated(shift, shift), Qt::AlignCenter | Qt::TextSingleLine, caption);
    painter.restore();
}

void PaintProgressBar(QPainter& painter, const QRect& rect, int value, const QString& text,
                      int minimum, int maximum) {
    if (rect.width() <= 0 || rect.height() <= 0) return;
    painter.save();
    painter.fillRect(rect, QColor(0xE3, 0xE6, 0xEA));
    painter.setPen(QColor(0x9A, 0xA3, 0xAE));
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
    const QRect inner = rect.adjusted(1, 1, -1, -1);
    int filled = 0;
    if (maximum > minimum) {
        const double share = double(std::clamp(value, minimum, maximum) - minimum) / (maximum - minimum);
        filled = static_cast<int>(share * inner.width() + 0.5);
    }
    const QRect bar(inner.left(), inner.top(), filled, inner.height());
    if (filled > 0) {
        QLinearGradient fill(bar.topLeft(), bar.bottomLeft());
        fill.setColorAt(0, QColor(0x55, 0x84, 0xB8));
        fill.setColorAt(1, QColor(0x35, 0x5F, 0x8E));
        painter.fillRect(bar, fill);
    }
    // The caption in two passes, so it stays readable across the bar's edge.
    const int flags = Qt::AlignCenter | Qt::TextSingleLine;
    painter.save();
    painter.setClipRect(inner.adjusted(filled, 0, 0, 0), Qt::IntersectClip);
    painter.setPen(QColor(0x25, 0x2D, 0x38));
    painter.drawText(inner, flags, text);
    painter.restore();
    if (filled > 0) {
        painter.setClipRect(bar, Qt::IntersectClip);
        painter.setPen(Qt::white);
        painter.drawText(inner, flags, text);
    }
    painter.restore();
}

}  // namespace tunewell::chrome
