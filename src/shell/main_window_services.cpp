// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/main_window_services.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSystemTrayIcon>

#include <memory>

#include "settings/ui/settings_window_launcher.h"
#include "shell/frm_main.h"
#include "update/cls_hnsn.h"
#include "update/ui/frm_up_date.h"
#include "widgets/shell_functions.h"

namespace tunewell::shell {
namespace {

constexpr std::uint32_t kFolderDialogFlags = widgets::kBrowseFileSystemOnly | widgets::kBrowseNewDialogStyle;

// The updater window runs its download at once, with the main window
// hidden; on success the program ends inside it. On failure it stays open
// in front, and the main window shows behind it so the user can go on:
// closing the updater then ends nothing.
void OpenUpdaterWindow(frmMain& window, const std::function<void()>& endProgramAtOnce) {
    window.StayHiddenAfterLoad();
    window.hide();
    QPointer<update::frmUpDate> updater = new update::frmUpDate(window.Globals(), window.ProgramFolderPath());
    updater->setAttribute(Qt::WA_DeleteOnClose);
    if (endProgramAtOnce) updater->endProgram = endProgramAtOnce;
    updater->Form_Load();
    if (!updater || !updater->isVisible() || window.Ending()) return;
    window.ShowAfterFailedUpdate();
    updater->SetMainWindowUsable(true);
    updater->raise();
    updater->activateWindow();
}

}  // namespace

void FillServiceDefaults(MainWindowServices& services, frmMain& window) {
    if (!services.browseForFolder) {
        services.browseForFolder = [](QWidget* owner, const std::string& title, const std::string& start) {
            return widgets::BrowseForFolder(owner, title, kFolderDialogFlags, start);
        };
    }
    if (!services.openUrl) services.openUrl = widgets::OpenUrl;
    if (!services.openFolder) services.openFolder = widgets::OpenFolder;
    if (!services.trayAvailable) services.trayAvailable = QSystemTrayIcon::isSystemTrayAvailable;
    if (!services.showSettings) {
        services.showSettings = [&window](QWidget* mainWindow) {
            ShowSettingsWindow(mainWindow, window.Settings(), window.ProgramFolderPath());
        };
    }
    if (!services.endProgram) services.endProgram = [] { QCoreApplication::quit(); };
    if (!services.notify) {
        services.notify = [&window](const std::string& title, const std::string& text) {
            widgets::ShowTrayMessage(&window, frmMain::kTrayIconId, title, text);
        };
    }
    if (!services.diskSerial) {
        auto hnsn = std::make_shared<std::unique_ptr<update::ClsHNSN>>();
        services.diskSerial = [hnsn] {
            if (!*hnsn) *hnsn = std::make_unique<update::ClsHNSN>();
            (*hnsn)->SetCurrentDrive(0);
            return (*hnsn)->GetSerialNumber();
        };
    }
    if (!services.openUpdater) {
        services.openUpdater = [atOnce = services.endProgramAtOnce](frmMain& window) {
            OpenUpdaterWindow(window, atOnce);
        };
    }
}

}  // namespace tunewell::shell
