// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QImage>
#include <QPoint>
#include <QWidget>

namespace tunewell::chrome {

class CaptionButton;

// The skinned frame of a window (`skin1`). Created as a child of the window
// it frames (the host); it covers the whole host, lies behind the host's
// other controls and follows the host's size. It makes the host frameless
// and paints the frame bitmap, the host's icon and caption (bold white) and
// the close, minimise and maximise/restore buttons; the title strip drags
// the window. The host's window shape gets rounded corners and loses every
// pixel of the window, controls included, that has the key colour (magenta);
// the shape is taken from the whole window's drawing when it shows, resizes
// or changes state, not on every paint.
//
// The frame reads the host's own properties: windowTitle(), windowIcon()
// (a null icon means none), windowState(), and the Qt::WindowMinimizeButtonHint
// and Qt::WindowMaximizeButtonHint window flags, which decide whether those
// buttons show. Changes show after the next Refresh, which runs on every
// show, resize, state, caption and icon change of the host.
//
// The host owns the frame (Qt parent); the frame owns its buttons.
class Skin : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool MaxButtom READ MaxButtom WRITE SetMaxButtom)

public:
    explicit Skin(QWidget* host);

    // Lays out and repaints the whole frame from the host's properties.
    void Refresh();

    // Always false; writes are ignored. The maximise button follows the
    // host's Qt::WindowMaximizeButtonHint instead.
    bool MaxButtom() const { return false; }
    void SetMaxButtom(bool) {}

    // The frame's parts, for the host's layout and for tests.
    CaptionButton* CloseButton() const { return close_; }
    CaptionButton* MinButton() const { return min_; }
    CaptionButton* MaxButton() const { return max_; }
    QWidget* MoveStrip() const { return moveStrip_; }
    // The last painted frame (without the host's controls).
    const QImage& Surface() const { return surface_; }

signals:
    void MinClick();    // after the window was minimised
    void MaxClick();    // after it was maximised or restored
    void CloseClick();  // after it was closed

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateButtons();
    void MakeHostFrameless();
    void RenderSurface();
    void UpdateShape();
    void PlaceButtons();
    int MaxStateBase();
    void ShowNormalImages();
    void FrameMouseMoved();
    void ButtonMouseMoved(CaptionButton* button);
    void ButtonPressed(CaptionButton* button);
    void ButtonReleased(CaptionButton* button, bool clicked);
    void ButtonLeft(CaptionButton* button);
    int StateOffset(CaptionButton* button);
    void CloseClicked();
    void MinClicked();
    void MaxClicked();
    bool StripEvent(QEvent* event);
    void BeginDrag(const QPoint& globalPos);

    QWidget* host_;
    QWidget* moveStrip_ = nullptr;
    CaptionButton* close_ = nullptr;
    CaptionButton* min_ = nullptr;
    CaptionButton* max_ = nullptr;
    QImage surface_;
    bool refreshing_ = false;
    bool buttonsNormal_ = false;      // buttons last put back by a frame move
    bool maxShowsRestore_ = false;    // the maximise button shows states 4 to 6
    bool dragArmed_ = false;          // left button down on the strip
    bool manualDrag_ = false;         // moving the window ourselves
    QPoint dragOffset_;               // pointer position within the window
};

}  // namespace tunewell::chrome
