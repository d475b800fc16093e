// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QCursor>
#include <QImage>

namespace tunewell::chrome {

// The frame's artwork, drawn by tools/make_chrome_art.py and carried in the
// program's resources. Button images hold their states side by side, state 1
// at the left: normal, hover, pressed (the maximise image adds the restore
// button's normal, hover and pressed as states 4 to 6).
struct SkinArt {
    QImage frame;     // 256 x 159, cut into eleven slices
    QImage close;     // states 1..3, each 43 x 17
    QImage minimise;  // states 1..3, each 28 x 17
    QImage maximise;  // states 1..6, each 26 x 17
    QImage pointer;   // 32 x 32 hand pointer shared by the buttons

    static constexpr int kButtonHeight = 17;
    static constexpr int kCloseWidth = 43;
    static constexpr int kMinimiseWidth = 28;
    static constexpr int kMaximiseWidth = 26;
};

// The artwork, loaded on first use and kept for the whole run. An image that
// cannot be loaded is replaced by a plain dark one of the same size, so the
// frame still lays out and paints. Needs a QGuiApplication.
const SkinArt& Art();

// The buttons' shared mouse pointer (hot spot at the fingertip).
QCursor ButtonCursor();

}  // namespace tunewell::chrome
