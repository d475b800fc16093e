// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QImage>
#include <QWidget>

namespace tunewell::chrome {

// One caption button of the skinned frame (close, minimise, maximise): shows
// one state of an image that holds its states side by side, state 1 at the
// left. The button only reports the mouse; the frame decides which state to
// show, so that it can keep the frame's hover rules in one place.
class CaptionButton : public QWidget {
    Q_OBJECT

public:
    // `states` is copied; each state is `stateWidth` pixels wide and as high
    // as the image. The button starts in state 1.
    CaptionButton(const QImage& states, int stateWidth, QWidget* parent);

    void SetState(int state);  // 1-based; out-of-range states are ignored
    int State() const { return state_; }
    bool IsPressed() const { return pressed_; }

signals:
    void MouseMoved();
    void MousePressed();
    // `clicked`: the left button went down and came up over the button.
    void MouseReleased(bool clicked);
    void MouseLeft();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QImage states_;
    int stateWidth_;
    int state_ = 1;
    bool pressed_ = false;
    bool leftPressed_ = false;
};

}  // namespace tunewell::chrome
