// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QRect>

namespace tunewell::widgets {

// Control positions of the windows are laid out in twips (1/1440 inch);
// at 96 dots per inch fifteen twips make one pixel.
inline constexpr int kTwipsPerPixel = 15;

// Nearest whole pixel.
constexpr int TwipsToPixels(int twips) { return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel; }

inline QRect TwipsRect(int left, int top, int width, int height) {
    return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                 TwipsToPixels(height));
}

}  // namespace tunewell::widgets
