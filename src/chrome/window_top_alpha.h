// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>

class QWidget;

namespace tunewell::chrome {

// Gives `window` (its top-level window) an opacity and a stacking place:
// above all ordinary windows when `topmost` is true, among them otherwise.
// `alpha` is clamped to 0 (invisible) .. 255 (opaque) and the clamped value
// is written back. With `clickThrough` the window lets every mouse click
// through to what lies behind it; without, it takes clicks again. A shown
// window stays shown. A null window only clamps `alpha`.
void SetWindowTopAlpha(QWidget* window, bool topmost, std::int32_t& alpha, bool clickThrough);

}  // namespace tunewell::chrome
