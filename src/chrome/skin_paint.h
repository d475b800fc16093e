// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QRect>
#include <QString>

class QPainter;

namespace tunewell::chrome {

enum class SkinButtonState { Normal, Hover, Pressed, Disabled };

// Paints an owner-drawn push button in the frame's look (dark slate face,
// white caption centred, one pixel lower while pressed) filling `rect`,
// with the painter's current font. `focused` adds a light inner outline.
void PaintSkinButton(QPainter& painter, const QRect& rect, const QString& caption,
                     SkinButtonState state, bool focused = false);

// Paints a progress bar filling `rect`: a light trough, the share `value`
// of the way from `minimum` to `maximum` filled from the left (value is
// clamped to that range; an empty range fills nothing), and `text` centred
// on the bar, dark over the trough and white over the fill.
void PaintProgressBar(QPainter& painter, const QRect& rect, int value, const QString& text,
                      int minimum = 0, int maximum = 100);

}  // namespace tunewell::chrome
