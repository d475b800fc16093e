// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QColor>
#include <cstdint>
#include <string_view>

class QImage;

namespace tunewell::chrome {

// A colour list is text-encoded artwork: decimal whole numbers separated by
// ",". The first, H, is the index of a column's last pixel (columns are
// H + 1 pixels high); every further number is one pixel's colour as
// red + 256 * green + 65536 * blue, running down the first column, then down
// the second, and so on.
inline constexpr std::int64_t kColorListTransparent = 16711935;  // magenta

// Paints `list` onto `surface` with its top left at (x, y): each colour
// becomes a horizontal run of `length` pixels starting at its column. With
// `adjust` the colour's brightness changes by `amount` on each channel
// (clamped to 0..255); without, it becomes grey (the channels' average,
// rounded half to even). Magenta is skipped when `amount` is nonzero and
// painted like any colour otherwise. Pixels outside the surface are clipped.
// Returns the index of the last column reached, 0 for an empty list.
// An element that is not a number (or not a colour) ends the painting there;
// what was painted before it stays.
std::int16_t DrawColorList(QImage& surface, std::int16_t length, std::string_view list,
                           std::int16_t x, std::int16_t y, bool adjust, std::int16_t amount);

// The drawing colour of one list colour, as described above. System colours
// (&H80000000 + index) are first resolved through the application palette.
QColor ListColourToDrawColour(std::int64_t colour, bool adjust, int amount);

}  // namespace tunewell::chrome
