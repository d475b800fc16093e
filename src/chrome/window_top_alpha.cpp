// SPDX-License-Identifier: GPL-3.0-or-later
#include "chrome/window_top_alpha.h"

#include <QWidget>
#include <algorithm>

namespace tunewell::chrome {

void SetWindowTopAlpha(QWidget* window, bool topmost, std::int32_t& alpha, bool clickThrough) {
    alpha = std::clamp<std::int32_t>(alpha, 0, 255);
    if (!window) return;
    QWidget* top = window->window();
    Qt::WindowFlags flags = top->windowFlags();
    flags.setFlag(Qt::WindowTransparentForInput, clickThrough);
    flags.setFlag(Qt::WindowStaysOnTopHint, topmost);
    if (flags != top->windowFlags()) {
        // Changing the flags re-creates the native window, which hides it.
        const bool visible = top->isVisible();
        top->setWindowFlags(flags);
        if (visible) top->show();
    }
    top->setWindowOpacity(alpha / 255.0);
}

}  // namespace tunewell::chrome
