// SPDX-License-Identifier: GPL-3.0-or-later
#include "chrome/window_shape.h"

#include <QImage>
#include <vector>

#include "chrome/chrome_units.h"

namespace tunewell::chrome {

namespace {

constexpr double kCornerRadius = 2.5;  // half the 5-pixel corner ellipse

// Whether pixel (x, y) lies inside the rounded rectangle of w x h pixels,
// judged at the pixel's centre.
bool InsideRoundedRect(int x, int y, int w, int h) {
    const double px = x + 0.5, py = y + 0.5;
    const double cx = px < kCornerRadius ? kCornerRadius
                      : px > w - kCornerRadius ? w - kCornerRadius : px;
    const double cy = py < kCornerRadius ? kCornerRadius
                      : py > h - kCornerRadius ? h - kCornerRadius : py;
    const double dx = px - cx, dy = py - cy;
    return dx * dx + dy * dy <= kCornerRadius * kCornerRadius;
}

}  // namespace

QRegion WindowShape(const QImage& rendered) {
    const QImage image = rendered.convertToFormat(QImage::Format_RGB32);
    const int w = image.width(), h = image.height();
    // One rectangle per run of kept pixels; runs of one row never touch, and
    // rows come top to bottom, which is the order QRegion::setRects wants.
    std::vector<QRect> runs;
    for (int y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        int start = -1;
        for (int x = 0; x <= w; ++x) {
            const bool keep = x < w && (line[x] | 0xFF000000) != kKeyColour &&
                              InsideRoundedRect(x, y, w, h);
            if (keep && start < 0) {
                start = x;
            } else if (!keep && start >= 0) {
                runs.emplace_back(start, y, x - start, 1);
                start = -1;
            }
        }
    }
    QRegion region;
    if (!runs.empty()) region.setRects(runs.data(), static_cast<int>(runs.size()));
    return region;
}

}  // namespace tunewell::chrome
