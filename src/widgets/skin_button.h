// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QPushButton>
#include <QString>

#include "chrome/skin_paint.h"

namespace tunewell::widgets {

// The program's push button. `Caption` is the text on the button; `Tag` is
// free text the owner keeps on it (the download button keeps its run state
// there). It is drawn in the window frame's look (chrome::PaintSkinButton):
// normal, hover, pressed and disabled faces, and an inner outline while it
// has a focus the user gave it with the keyboard (Tab, a shortcut); focus
// that comes from a window opening or a click shows no outline.
class SkinButton : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(QString Tag READ Tag WRITE SetTag)

public:
    explicit SkinButton(const QString& caption, QWidget* parent = nullptr);

    QString Caption() const { return text(); }
    void SetCaption(const QString& caption) { setText(caption); }
    QString Tag() const { return tag_; }
    void SetTag(const QString& tag) { tag_ = tag; }

    // The face the button shows now: disabled, pressed, hover or normal.
    chrome::SkinButtonState State() const;
    // Whether the focus outline is due: the last focus came by keyboard.
    bool ShowsFocusCue() const { return keyboardFocus_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    // Enter presses the focused button, as Space does.
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    QString tag_;
    bool keyboardFocus_ = false;
};

}  // namespace tunewell::widgets
