// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QColor>
#include <cmath>

namespace tunewell::chrome {

// Layout figures of the frame and the text box are given in twips
// (1/1440 inch); at 96 dots per inch one pixel is 15 twips.
inline constexpr int kTwipsPerPixel = 15;

// Twips to whole pixels, rounded to the nearest pixel.
constexpr int TwipsToPixels(int twips) {
    return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                      : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}

// The windows' key colour, &H00FF00FF: pixels of this colour are see-through
// and let mouse clicks through to whatever lies behind the window.
inline constexpr QRgb kKeyColour = 0xFFFF00FF;

}  // namespace tunewell::chrome
