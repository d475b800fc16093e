// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>
#include <string>

#include "transfer/file_fetch.h"
#include "update/version_check_build.h"

class QWidget;

namespace tunewell::shell {

class frmMain;

// What the main window reaches outside itself. Every empty member gets the
// real service; tests put recorders in.
struct MainWindowServices {
    std::string programFolder;  // where Config.ini lives; empty: the executable's folder
    // The song transfer of the download run; null: the window's CFileDownload.
    transfer::FileFetch* transfer = nullptr;
    // Whether a process of that name runs (the download manager check).
    std::function<bool(const std::string&)> isRunning;
    // The download manager's RPC address; empty: aria2's own default. The
    // hand-off uses the Aria2Secret the settings hold at that time.
    std::string managerEndpoint;
    // The folder dialog, starting at `start` (empty: the user's home);
    // returns the chosen folder, or an empty text when cancelled.
    std::function<std::string(QWidget* owner, const std::string& title, const std::string& start)> browseForFolder;
    std::function<void(const std::string&)> openUrl;
    std::function<void(const std::string&)> openFolder;
    // Shows the settings window for the main window (not modal); empty:
    // the program's settings window.
    std::function<void(QWidget* mainWindow)> showSettings;
    std::function<bool()> trayAvailable;
    // Ends the program once the current handler has returned.
    std::function<void()> endProgram;
    // The version check: drive 0's serial, the reply to a version request
    // (kFalse when unreachable), and opening the updater window.
    std::function<std::string()> diskSerial;
    std::function<std::string(const std::string& address)> fetchVersionReply;
    // Opening the updater window; empty: the program's updater window,
    // which ends the program through `endProgramAtOnce` (empty: at once,
    // with no further events) after a hand-over, or when it is closed while
    // the main window is hidden.
    std::function<void(frmMain& window)> openUpdater;
    std::function<void()> endProgramAtOnce;
    // A notification from the window's tray icon (title, text); empty: the
    // icon's balloon.
    std::function<void(const std::string& title, const std::string& text)> notify;
    // Whether the start-up version check (and the advertisement it names)
    // runs at all; the build's TUNEWELL_VERSION_CHECK unless a test says.
    bool versionCheck = update::kVersionCheck;
};

// Gives every empty member of `services` the program's own service for
// `window` (its settings, program folder and update globals). The disk
// identity the serial is read from is kept as long as the services.
void FillServiceDefaults(MainWindowServices& services, frmMain& window);

}  // namespace tunewell::shell
