// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QPoint>
#include <QRect>
#include <QSize>
#include <array>

class QImage;
class QPainter;

namespace tunewell::chrome {

// One piece of the frame bitmap: `source` in the bitmap is copied to `dest`
// on the frame, stretched where the sizes differ.
struct FrameSlice {
    QRect dest;
    QRect source;
};

// The eleven pieces, in painting order, for a frame of `frame` pixels cut
// from a bitmap of `art` pixels: the four corners and edges, the client fill
// and the 21-pixel bottom strip with its 18-pixel right end. The title bar
// is 27 pixels high, the side borders 4 wide and the bottom border 5 high.
std::array<FrameSlice, 11> FrameSlices(QSize frame, QSize art);

// Paints the slices of `art` onto `painter` (pieces without area are
// skipped, so a tiny frame paints what fits).
void PaintFrameSlices(QPainter& painter, const QImage& art, QSize frame);

// The right end of the bottom strip, which carries the size grip: 18 x 21
// pixels left of the right border. Captions in the strip end before it.
QRect GripRect(QSize frame);

// Where the window's icon goes: (4, 4), 17 x 17 pixels.
QRect IconRect();

// Top left of the caption text: 24 pixels in when the window has an icon,
// 7 otherwise, 6 pixels down.
QPoint CaptionOrigin(bool hasIcon);

// Where the caption buttons and the drag strip sit on a frame `width` pixels
// wide. The close button stands 7 pixels from the right edge, one pixel
// down; the maximise and minimise buttons follow to its left without gaps.
// A hidden maximise button gives its place to the minimise button; a hidden
// minimise button keeps its place.
struct ButtonLayout {
    QRect close;
    QRect maximise;
    QRect minimise;
    bool maximiseVisible = false;
    bool minimiseVisible = false;
    QRect moveStrip;  // the title strip the user drags
};
ButtonLayout LayOutButtons(int width, bool hasMinimise, bool hasMaximise);

}  // namespace tunewell::chrome
