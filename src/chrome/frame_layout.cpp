// SPDX-License-Identifier: GPL-3.0-or-later
#include "chrome/frame_layout.h"

#include <QImage>
#include <QPainter>

#include "chrome/chrome_units.h"
#include "chrome/skin_art.h"

namespace tunewell::chrome {

namespace {

constexpr int kSide = 4;        // side border width (60 twips)
constexpr int kTitle = 27;      // title bar height (405 twips)
constexpr int kBottom = 5;      // bottom border height (75 twips)
constexpr int kStripTop = 26;   // bottom strip top, from the bottom (390 twips)
constexpr int kStrip = 21;      // bottom strip height (315 twips)
constexpr int kStripEnd = 18;   // bottom strip right end width (270 twips)
constexpr int kEdgeSample = 4;  // edge and fill pieces sampled from the art
constexpr int kFillSample = 5;

}  // namespace

QRect GripRect(QSize frame) {
    return {frame.width() - kSide - kStripEnd, frame.height() - kStripTop, kStripEnd, kStrip};
}

std::array<FrameSlice, 11> FrameSlices(QSize frame, QSize art) {
    const int w = frame.width(), h = frame.height();
    const int sw = art.width(), sh = art.height();
    const int innerW = w - 2 * kSide;
    const int innerH = h - kTitle - kBottom;
    return {{
        {{0, 0, kSide, kTitle}, {0, 0, kSide, kTitle}},
        {{kSide, 0, innerW, kTitle}, {kSide, 0, kEdgeSample, kTitle}},
        {{w - kSide, 0, kSide, kTitle}, {sw - kSide, 0, kSide, kTitle}},
        {{0, kTitle, kSide, innerH}, {0, sh - kTitle, kSide, kEdgeSample}},
        {{w - kSide, kTitle, kSide, innerH}, {sw - kSide, kTitle, kSide, kEdgeSample}},
        {{0, h - kBottom, kSide, kBottom}, {0, sh - kBottom, kSide, kBottom}},
        {{kSide, h - kBottom, innerW, kBottom}, {kSide, sh - kBottom, kEdgeSample, kBottom}},
        {{w - kSide, h - kBottom, kSide, kBottom}, {sw - kSide, sh - kBottom, kSide, kBottom}},
        {{kSide, kTitle, innerW, innerH}, {kFillSample, kTitle, kFillSample, kFillSample}},
        {{kSide, h - kStripTop, innerW, kStrip}, {kSide, sh - kStripTop, kEdgeSample, kStrip}},
        {{w - kSide - kStripEnd, h - kStripTop, kStripEnd, kStrip},
         {sw - kSide - kStripEnd, sh - kStripTop, kStripEnd, kStrip}},
    }};
}

void PaintFrameSlices(QPainter& painter, const QImage& art, QSize frame) {
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    for (const FrameSlice& slice : FrameSlices(frame, art.size())) {
        if (slice.dest.width() > 0 && slice.dest.height() > 0) {
            painter.drawImage(slice.dest, art, slice.source);
        }
    }
    painter.restore();
}

QRect IconRect() {
    const int at = TwipsToPixels(60);
    const int size = TwipsToPixels(250);
    return {at, at, size, size};
}

QPoint CaptionOrigin(bool hasIcon) {
    return {TwipsToPixels(hasIcon ? 360 : 100), TwipsToPixels(90)};
}

ButtonLayout LayOutButtons(int width, bool hasMinimise, bool hasMaximise) {
    const int top = TwipsToPixels(20);
    const int h = SkinArt::kButtonHeight;
    ButtonLayout layout;
    layout.close = {width - SkinArt::kCloseWidth - TwipsToPixels(100), top,
                    SkinArt::kCloseWidth, h};
    layout.maximiseVisible = hasMaximise;
    layout.minimiseVisible = hasMinimise;
    // The maximise button's place is kept even while it is hidden.
    layout.maximise = {layout.close.left() - SkinArt::kMaximiseWidth, top,
                       SkinArt::kMaximiseWidth, h};
    const int nextRight = hasMaximise ? layout.maximise.left() : layout.close.left();
    layout.minimise = {nextRight - SkinArt::kMinimiseWidth, top, SkinArt::kMinimiseWidth, h};
    layout.moveStrip = {0, 0, width - 1, h + TwipsToPixels(50)};
    return layout;
}

}  // namespace tunewell::chrome
