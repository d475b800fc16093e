// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QRegion>

class QImage;

namespace tunewell::chrome {

// The shape a skinned window takes, built from the window as rendered: the
// window's rectangle with corners rounded by a 5 x 5-pixel ellipse, less
// every pixel of `rendered` that has the key colour (magenta, see
// chrome_units.h). Used as the window mask, so those pixels are neither
// drawn nor take the mouse. An empty image gives an empty region.
QRegion WindowShape(const QImage& rendered);

}  // namespace tunewell::chrome
