// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "net/wait_pump.h"
#include "session/session.h"
#include "shell/main_window_ports.h"
#include "shell/main_window_services.h"
#include "shell/page_wait.h"
#include "update/version_check.h"

class QCheckBox;
class QLabel;

namespace tunewell::chrome {
class Skin;
class TextBox;
}  // namespace tunewell::chrome

namespace tunewell::widgets {
class WindowPlace;
class ProgressBar;
class SkinButton;
class ucAniGIF;
}  // namespace tunewell::widgets

namespace tunewell::shell {

class frmMenu;
class RunView;
class SongListModel;
class SongListView;

// The main window: the address and folder fields, the song list, the
// download controls, the status and version lines and the advertisement.
// It is the core's window: its session (settings, list, transfer, run) is
// built over the window's ports (MainWindowPorts, the song list model and
// the run view), and the window owns it, the song list model and the
// quick-links/tray menus for its whole life.
//
// While it lives it is the process's network wait pump: every wait step of
// a page request or a transfer processes the window's events as they come
// (see PageWait), so the user can tick, minimise, use the tray and pause
// the download run while a request waits. The handlers that would give a
// wrong result when entered again inside another step are ignored then,
// with a busy cursor over their buttons: a second list fetch while one
// runs; starting a run while a list is fetched or while a paused run is
// still unwinding; the settings window while a list is fetched or a run is
// under way. Closing it while a page request waits ends that request (and
// any later one) at its next wait step, so the step unwinds and the program
// ends.
class frmMain : public QWidget {
    Q_OBJECT

public:
    // The id of the window's one tray icon.
    static constexpr int kTrayIconId = 0;
    explicit frmMain(MainWindowServices services = {}, QWidget* parent = nullptr);
    ~frmMain() override;

    // Start-up: settings, fields and version line, then the window shows
    // (where it was when it last closed, if that is still on a screen);
    // the version check and the advertisement follow once the window has
    // been painted, so a slow version server never keeps it off the screen.
    void Form_Load();
    // True once the start-up version check has run (or was given up).
    bool StartUpDone() const { return !startUpPending_; }
    // Closing: stops a running download, keeps the window's place in
    // Config.ini, removes the tray icon and ends the program. Runs once; closeEvent calls it.
    void Form_Unload();
    // The start-up version check. It may fill the advertisement globals and
    // call StayHiddenAfterLoad().
    void CheckVersion();
    void StayHiddenAfterLoad() { stayHidden_ = true; }
    // After a failed update: the window shows (behind the updater window,
    // which stays on top) so the user can go on with the program.
    void ShowAfterFailedUpdate();

    // Button, list and widget handlers.
    void cmdList_Click();
    // Esc: abandons a list fetch under way.
    void AbandonListFetch();
    void cmdDown_Click();
    void cmdSel_Click();
    void cmdCon_Click();
    void cmdHelp_Click();
    void cmdOpen_Click();
    void cmdDir_Click();
    void selAll_Click();
    void selBack_Click();
    void ListMusic_ItemClick(int position);
    void ucAniGIF1_Click();
    // Window state changes: minimising goes to the tray (or stays a plain
    // minimised window where the desktop has no tray); the advertisement is
    // paused while minimised.
    void Form_Resize();
    // A mouse message from the tray icon (widgets::kTrayLeftButtonDown restores,
    // widgets::kTrayRightButtonDown pops up the tray menu).
    void Form_MouseDown(int trayMessage);

    // An address from outside the window (the command line, a later start
    // of the program): with `comeForward` the window first comes out of the
    // tray or the task bar and to the front. Once the start-up check is done
    // and no dialog is open, a site address goes into ListUrl and is fetched
    // as a click of cmdList would; anything else leaves the field as it was
    // and says so in the status line. Empty: the window only comes forward.
    void OpenFromElsewhere(const std::string& address, bool comeForward = true);

    // The tray menu's actions.
    void ShowFromTray();
    void ExitFromTray();

    // What the ports forward to. The status line is LabTip.
    void SetStatusText(const std::string& text);
    std::string StatusText() const;
    void SetStatusColour(std::uint32_t rgb);
    // widgets::ShowMessage with this window as owner; nothing once closing.
    void ShowMessage(const std::string& text);
    // A run is over: failed songs are named in a message box, and a window
    // waiting in the tray or minimised says what the run did.
    void ShowRunOutcome(const ports::RunOutcome& outcome);
    // Processes the window system's pending events (ends a page wait first).
    void ProcessPending();
    void ShowSettingsHideMain();
    // IsXun, SavePath.
    bool UseDownloadManager() const;
    std::string SavePathText() const;
    // Whether Form_Unload has run (the program is ending).
    bool Ending() const { return ending_; }
    // Whether a page request is waiting now (busy cursor).
    bool InPageWait() const;
    // Whether a list fetch / a download run started here is on the stack.
    bool ListFetchRunning() const { return listing_; }
    bool DownloadRunOnStack() const { return running_; }

    // The settings globals and the advertisement/update globals of the run.
    settings::Config& Settings() { return session_.Settings(); }
    update::UpdateGlobals& Globals() { return updateGlobals_; }
    const std::string& ProgramFolderPath() const { return session_.ProgramFolder(); }
    SongListModel& Songs() { return *songs_; }
    ports::UiPorts& Ports() { return session_.Ports(); }
    transfer::CFileDownload& FileDownload() { return session_.FileDownload(); }
    // The quick-links and tray menus, created on first use.
    frmMenu& Menus();

    // Controls, named after their roles. skin1 is the window's frame.
    chrome::Skin* skin1 = nullptr;
    widgets::SkinButton* cmdSel = nullptr;
    widgets::SkinButton* cmdCon = nullptr;
    widgets::SkinButton* cmdHelp = nullptr;
    QLabel* Label1 = nullptr;
    chrome::TextBox* ListUrl = nullptr;
    QLabel* lblLabel2 = nullptr;
    chrome::TextBox* SavePath = nullptr;
    widgets::SkinButton* cmdDir = nullptr;
    widgets::SkinButton* cmdList = nullptr;
    SongListView* ListMusic = nullptr;
    widgets::SkinButton* selAll = nullptr;
    widgets::SkinButton* selBack = nullptr;
    QCheckBox* IsXun = nullptr;
    widgets::SkinButton* cmdOpen = nullptr;
    widgets::SkinButton* cmdDown = nullptr;
    widgets::ProgressBar* PB = nullptr;
    widgets::ucAniGIF* ucAniGIF1 = nullptr;
    QLabel* LabTip = nullptr;
    QLabel* LabVer = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A list fetch or a download run on the stack; a handler's page waits
    // (frm_main_wait.cpp).
    class OnStack;
    class Step;

    session::Session::Options SessionOptions();
    void OnNetworkWait(net::WaitKind kind);
    void EndPageWait();
    // Whether a click on the button would start a step now, and the
    // busy cursor over those that would not.
    bool DownClickTaken() const;
    bool SettingsClickTaken() const;
    void ShowGuardedButtons();
    void RunStartUpCheck();
    void CreateControls();
    void ConnectControls();
    void RestoreWindow();
    void RefreshSkin();
    void KeepPlace();
    void ComeForward();
    void TakeHandedAddress();
    download::DownloadRun& Run() { return session_.Run(); }

    MainWindowServices services_;
    update::UpdateGlobals updateGlobals_;
    SongListModel* songs_;
    MainWindowPorts ports_;
    std::unique_ptr<RunView> runView_;  // shows the run on cmdDown and PB
    session::Session session_;  // declared after the ports it reports to
    frmMenu* menus_ = nullptr;
    PageWait* pageWait_ = nullptr;
    widgets::WindowPlace* place_ = nullptr;
    bool loaded_ = false;  // Form_Load has run
    std::optional<std::string> handedAddress_;  // waits for TakeHandedAddress
    bool openRetryQueued_ = false;
    bool stayHidden_ = false;
    bool startUpPending_ = false;
    bool checkingVersion_ = false;  // the start-up check waits for the version server
    bool ending_ = false;
    bool listing_ = false;  // cmdList's fetch is on the stack
    // A list click came during a fetch: the fetch is abandoned and the
    // field's address fetched next.
    bool relistPending_ = false;
    bool running_ = false;  // a run cmdDown started is on the stack (also while it unwinds after a pause)
};

}  // namespace tunewell::shell
