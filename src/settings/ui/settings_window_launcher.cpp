// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ui/settings_window_launcher.h"

#include <QPointer>

#include "settings/ui/frm_seting.h"

namespace tunewell::shell {
namespace {

// The one settings window of the program, null while none is open.
QPointer<settings::frmSeting>& OpenWindow() {
    static QPointer<settings::frmSeting> window;
    return window;
}

settings::frmSeting* NewWindow(QWidget* mainWindow, settings::Config& config,
                                  const std::string& programFolder) {
    auto* window = new settings::frmSeting(mainWindow, config, programFolder);
    // Closing unloads the window: the next opening fills it from the settings.
    window->setAttribute(Qt::WA_DeleteOnClose);
    if (mainWindow != nullptr) {
        QObject::connect(mainWindow, &QObject::destroyed, window, &QObject::deleteLater);
    }
    return window;
}

}  // namespace

void ShowSettingsWindow(QWidget* mainWindow, settings::Config& config,
                        const std::string& programFolder) {
    QPointer<settings::frmSeting>& window = OpenWindow();
    if (window && (window->mainWindow() != mainWindow || &window->config() != &config)) {
        delete window.data();  // opened for another main window: start afresh
    }
    if (!window) window = NewWindow(mainWindow, config, programFolder);
    if (mainWindow != nullptr) mainWindow->hide();
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace tunewell::shell
