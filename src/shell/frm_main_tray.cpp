// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's tray icon and window states: minimising to the tray,
// the tray's mouse messages and menu, and coming back from it.
#include <QCursor>
#include <QEvent>
#include <QMenu>
#include <QTimer>

#include "shell/frm_main.h"
#include "shell/frm_menu.h"
#include "widgets/shell_functions.h"
#include "widgets/uc_ani_gif.h"

namespace tunewell::shell {

void frmMain::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) Form_Resize();
}

void frmMain::Form_Resize() {
    const bool minimised = isMinimized();
    // Where the desktop has no tray the window stays an ordinary minimised
    // window; hiding it would leave the user no way back.
    if (minimised && services_.trayAvailable()) {
        // After the state change has run its course: showMinimized() shows
        // the window again right after announcing the new state.
        QTimer::singleShot(0, this, [this] {
            if (!isMinimized()) return;
            hide();
            widgets::AddTrayIcon(this, windowTitle().toStdString(), kTrayIconId);
        });
    }
    if (minimised) {
        ucAniGIF1->SetAction(widgets::ucAniGIF::kPause);
    } else if (ucAniGIF1->Action() == widgets::ucAniGIF::kPause) {
        ucAniGIF1->SetAction(widgets::ucAniGIF::kPlay);
    }
}

bool frmMain::event(QEvent* event) {
    if (event->type() == widgets::TrayMessageEvent::EventType()) {
        Form_MouseDown(static_cast<widgets::TrayMessageEvent*>(event)->Message());
        return true;
    }
    return QWidget::event(event);
}

void frmMain::Form_MouseDown(int trayMessage) {
    if (trayMessage == widgets::kTrayRightButtonDown) {
        Menus().m_Main->popup(QCursor::pos());
    } else if (trayMessage == widgets::kTrayLeftButtonDown) {
        widgets::RemoveTrayIcon(this, kTrayIconId);
        RestoreWindow();
    }
}

void frmMain::RestoreWindow() {
    showNormal();
    raise();
    activateWindow();
}

void frmMain::ShowFromTray() {
    widgets::RemoveTrayIcon(this, kTrayIconId);
    RestoreWindow();
    RefreshSkin();
}

// Ending from the tray menu also stops a running download first, so the
// program ends at once and leaves no half-written file behind.
void frmMain::ExitFromTray() {
    widgets::RemoveTrayIcon(this, kTrayIconId);
    Form_Unload();
}

}  // namespace tunewell::shell
