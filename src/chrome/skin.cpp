// SPDX-License-Identifier: GPL-3.0-or-later
#include "chrome/skin.h"

#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QWindow>

#include "chrome/caption_button.h"
#include "chrome/frame_layout.h"
#include "chrome/skin_art.h"
#include "chrome/window_shape.h"
#include "platform/pointer_buttons.h"

namespace tunewell::chrome {

namespace {

constexpr int kRestoreStates = 3;  // restore images follow the maximise ones

bool IsNormalState(Qt::WindowStates states) {
    return !(states & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
}

}  // namespace

Skin::Skin(QWidget* host) : QWidget(host), host_(host) {
    Q_ASSERT(host);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Created before the buttons, so the buttons lie above the drag strip.
    moveStrip_ = new QWidget(this);
    moveStrip_->setMouseTracking(true);
    moveStrip_->installEventFilter(this);
    CreateButtons();
    host_->installEventFilter(this);
    MakeHostFrameless();
    setGeometry(0, 0, host_->width(), host_->height());
    Refresh();
}

void Skin::CreateButtons() {
    const SkinArt& art = Art();
    close_ = new CaptionButton(art.close, SkinArt::kCloseWidth, this);
    min_ = new CaptionButton(art.minimise, SkinArt::kMinimiseWidth, this);
    max_ = new CaptionButton(art.maximise, SkinArt::kMaximiseWidth, this);
    close_->setToolTip(QStringLiteral("关闭"));
    min_->setToolTip(QStringLiteral("最小化"));
    const QCursor pointer = ButtonCursor();
    for (CaptionButton* button : {close_, min_, max_}) {
        button->setCursor(pointer);
        connect(button, &CaptionButton::MouseMoved, this, [this, button] { ButtonMouseMoved(button); });
        connect(button, &CaptionButton::MousePressed, this, [this, button] { ButtonPressed(button); });
        connect(button, &CaptionButton::MouseReleased, this,
                [this, button](bool clicked) { ButtonReleased(button, clicked); });
        connect(button, &CaptionButton::MouseLeft, this, [this, button] { ButtonLeft(button); });
    }
}

void Skin::MakeHostFrameless() {
    Qt::WindowFlags flags = host_->windowFlags();
    if (!host_->isWindow() || flags.testFlag(Qt::FramelessWindowHint)) return;
    // Qt drops the frameless hint again when the customise hint is set
    // together with button hints, so the title hints go; the minimise and
    // maximise hints stay, since the frame reads its buttons from them.
    flags &= ~(Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint);
    flags |= Qt::FramelessWindowHint;
    const bool visible = host_->isVisible();
    host_->setWindowFlags(flags);
    if (visible) host_->show();
}

void Skin::Refresh() {
    if (refreshing_) return;
    refreshing_ = true;
    MakeHostFrameless();
    if (size() != host_->size()) resize(host_->size());
    RenderSurface();
    // A hidden window takes its full shape when it shows (see UpdateShape).
    if (host_->isVisible()) {
        UpdateShape();
    } else {
        host_->setMask(WindowShape(surface_));
    }
    const Qt::WindowStates states = host_->windowState();
    if (!(states & Qt::WindowMinimized)) {
        max_->SetState(MaxStateBase() + 1);
        max_->setToolTip(maxShowsRestore_ ? QStringLiteral("向下还原") : QStringLiteral("最大化"));
    }
    PlaceButtons();
    lower();
    update();
    refreshing_ = false;
}

// The shape comes from the whole window as drawn, controls included, so
// the key colour is see-through wherever it appears. Drawing the window
// costs a few milliseconds: this runs when the window shows, resizes or
// changes state, never on a paint.
void Skin::UpdateShape() {
    host_->clearMask();  // a masked window would draw only what it kept
    host_->setMask(WindowShape(host_->grab().toImage()));
}

void Skin::RenderSurface() {
    surface_ = QImage(size(), QImage::Format_RGB32);
    if (surface_.isNull()) return;
    QPainter painter(&surface_);
    PaintFrameSlices(painter, Art().frame, size());
    const QIcon icon = host_->windowIcon();
    const bool hasIcon = !icon.isNull();
    if (hasIcon) icon.paint(&painter, IconRect());
    QFont font = host_->font();
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    const QPoint origin = CaptionOrigin(hasIcon);
    painter.drawText(QRect(origin, QSize(width() - origin.x(), height() - origin.y())),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, host_->windowTitle());
}

void Skin::PlaceButtons() {
    const Qt::WindowFlags flags = host_->windowFlags();
    const ButtonLayout layout = LayOutButtons(width(), flags.testFlag(Qt::WindowMinimizeButtonHint),
                                              flags.testFlag(Qt::WindowMaximizeButtonHint));
    close_->move(layout.close.topLeft());
    max_->move(layout.maximise.topLeft());
    min_->move(layout.minimise.topLeft());
    max_->setVisible(layout.maximiseVisible);
    min_->setVisible(layout.minimiseVisible);
    moveStrip_->setGeometry(layout.moveStrip);
}

// 0 for the maximise images, 3 for the restore images. A minimised window
// keeps whichever set the button showed last.
int Skin::MaxStateBase() {
    const Qt::WindowStates states = host_->windowState();
    if (!(states & Qt::WindowMinimized)) maxShowsRestore_ = (states & Qt::WindowMaximized) != 0;
    return maxShowsRestore_ ? kRestoreStates : 0;
}

int Skin::StateOffset(CaptionButton* button) {
    return button == max_ ? MaxStateBase() : 0;
}

void Skin::ShowNormalImages() {
    close_->SetState(1);
    min_->SetState(1);
    max_->SetState(MaxStateBase() + 1);
}

void Skin::FrameMouseMoved() {
    if (buttonsNormal_) return;
    ShowNormalImages();
    buttonsNormal_ = true;
}

// The hover image is set once on entering a button; the next move over the
// frame (or leaving the button) takes it away.
void Skin::ButtonMouseMoved(CaptionButton* button) {
    if (!buttonsNormal_ || button->IsPressed()) return;
    button->SetState(StateOffset(button) + 2);
    buttonsNormal_ = false;
}

void Skin::ButtonPressed(CaptionButton* button) {
    button->SetState(StateOffset(button) + 3);
}

void Skin::ButtonReleased(CaptionButton* button, bool clicked) {
    button->SetState(StateOffset(button) + 1);
    if (!clicked) return;
    if (button == close_) CloseClicked();
    else if (button == min_) MinClicked();
    else MaxClicked();
}

void Skin::ButtonLeft(CaptionButton* button) {
    button->SetState(StateOffset(button) + 1);
    buttonsNormal_ = true;
}

void Skin::CloseClicked() {
    // Closing may delete the window, and this frame with it.
    QPointer<Skin> self(this);
    host_->close();
    if (self) emit CloseClick();
}

void Skin::MinClicked() {
    host_->showMinimized();
    emit MinClick();
}

void Skin::MaxClicked() {
    const Qt::WindowStates states = host_->windowState();
    if (states & Qt::WindowMaximized) {
        host_->showNormal();
    } else if (!(states & Qt::WindowMinimized)) {
        host_->showMaximized();
    }
    resize(host_->size());
    emit MaxClick();
}

void Skin::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect(), surface_, event->rect());
}

void Skin::resizeEvent(QResizeEvent*) {
    Refresh();
}

void Skin::showEvent(QShowEvent*) {
    Refresh();
}

void Skin::mouseMoveEvent(QMouseEvent*) {
    FrameMouseMoved();
}

bool Skin::eventFilter(QObject* watched, QEvent* event) {
    if (watched == moveStrip_) return StripEvent(event);
    if (watched == host_) {
        switch (event->type()) {
        case QEvent::Resize:
            resize(host_->size());
            break;
        case QEvent::Show:
            // After the window's controls have shown, before it is mapped.
            UpdateShape();
            break;
        case QEvent::WindowStateChange:
        case QEvent::WindowTitleChange:
        case QEvent::WindowIconChange:
        case QEvent::FontChange:
            Refresh();
            break;
        default:
            break;
        }
    }
    return false;
}

// The title strip: passes its moves on to the frame, drags a window in
// normal state and maximises or restores it on a double click.
bool Skin::StripEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseMove: {
        FrameMouseMoved();
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (!(mouse->buttons() & Qt::LeftButton)) return false;
        const QPoint global = mouse->globalPosition().toPoint();
        if (manualDrag_) {
            host_->move(global - dragOffset_);
        } else if (dragArmed_) {
            BeginDrag(global);
        }
        return true;
    }
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && IsNormalState(host_->windowState())) {
            dragArmed_ = true;
            dragOffset_ = mouse->globalPosition().toPoint() - host_->pos();
        }
        return true;
    }
    case QEvent::MouseButtonRelease:
        dragArmed_ = false;
        manualDrag_ = false;
        moveStrip_->unsetCursor();
        return true;
    case QEvent::MouseButtonDblClick:
        dragArmed_ = false;
        if (!max_->isHidden()) MaxClicked();
        return true;
    default:
        return false;
    }
}

// Hands the move to the window system when it offers one and the button is
// really down (it then follows the pointer until the button comes up);
// otherwise the strip's own mouse moves carry the window.
void Skin::BeginDrag(const QPoint& globalPos) {
    dragArmed_ = false;
    moveStrip_->setCursor(Qt::SizeAllCursor);
    QWindow* window = host_->windowHandle();
    if (window && platform::PrimaryButtonHeld() && window->startSystemMove()) {
        moveStrip_->unsetCursor();
        return;
    }
    manualDrag_ = true;
    host_->move(globalPos - dragOffset_);
}

}  // namespace tunewell::chrome
