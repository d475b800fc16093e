#pragma once
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "catalogue/catalogue_state.h"
#include "catalogue/song_catalogue.h"
#include "download/download_run.h"
#include "download/file_download_transfer.h"
#include "transfer/file_download.h"
#include "settings/config.h"
#include "ports/download_controls.h"
#include "ports/event_pump.h"
#include "ports/message_box.h"
#include "ports/status_line.h"
#include "ports/ui_ports.h"
#include "ports/window_switcher.h"
#include "net/wait_pump.h"
#include "shell/page_wait.h"
#include "update/cls_hnsn.h"
#include "update/version_check.h"
#include "update/version_check_build.h"

class QCheckBox;
class QLabel;

namespace tunewell::chrome {
class Skin;
class TextBox;
}  // namespace tunewell::chrome

namespace tunewell::widgets {
class ProgressBar;
class SkinButton;
class ucAniGIF;
}  // namespace tunewell::widgets

namespace tunewell::shell {

class frmMenu;
class RunView;
class SongListModel;
class SongListView;

class frmMain;

// What the main window reaches outside itself. Every empty member gets the
// real service; tests put recorders in.
struct MainWindowServices {
    std::string programFolder;  // where Config.ini lives; empty: the executable's folder
    // The song transfer of the download run; null: the window's CFileDownload.
    download::SongTransfer* transfer = nullptr;
    // Whether a process of that name runs (the download manager check).
    std::function<bool(const std::string&)> isRunning;
    std::function<std::string(QWidget* owner, const std::string& title)> browseForFolder;
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
    // Whether the start-up version check (and the advertisement it names)
    // runs at all; the build's TUNEWELL_VERSION_CHECK unless a test says.
    bool versionCheck = update::kVersionCheck;
};

// The main window: the address and folder fields, the song list, the
// download controls, the status and version lines and the advertisement.
// It is the core's window: the list step and the download run reach it
// through small port adapters it owns (status line, message box, event
// pump, window switcher, download controls, progress bar), each forwarding
// to the window. It owns its CFileDownload, the song list model and the
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
    explicit frmMain(MainWindowServices services = {}, QWidget* parent = nullptr);
    ~frmMain() override;

    // Start-up: settings, fields and version line, then the window shows;
    // the version check and the advertisement follow once the window has
    // been painted, so a slow version server never keeps it off the screen.
    void Form_Load();
    // True once the start-up version check has run (or was given up).
    bool StartUpDone() const { return !startUpPending_; }
    // Closing: stops a running download, removes the tray icon and ends the
    // program. Runs once; closeEvent calls it.
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
    void m_oFileDownload_OnProgress(std::int64_t lProgress, std::int64_t lMaxProgress,
                                    std::int32_t lSpeed, std::int32_t lStatusCode,
                                    const std::string& sStatusText);

    // The tray menu's actions.
    void ShowFromTray();
    void ExitFromTray();

    // What the ports forward to. The status line is LabTip.
    void SetStatusText(const std::string& text);
    std::string StatusText() const;
    void SetStatusColour(std::uint32_t rgb);
    // widgets::ShowMessage with this window as owner; nothing once closing.
    void ShowMessage(const std::string& text);
    // Processes the window system's pending events (ends a page wait first).
    void ProcessPending();
    void ShowSettingsHideMain();
    // IsXun, SavePath.
    bool UseDownloadManager() const;
    std::string SavePathText() const;
    // Whether a page request is waiting now (busy cursor).
    bool InPageWait() const;
    // Whether a list fetch / a download run started here is on the stack.
    bool ListFetchRunning() const { return listing_; }
    bool DownloadRunOnStack() const { return running_; }

    // The settings globals and the advertisement/update globals of the run.
    settings::Config& Settings() { return config_; }
    update::UpdateGlobals& Globals() { return updateGlobals_; }
    const std::string& ProgramFolderPath() const { return programFolder_; }
    SongListModel& Songs() { return *songs_; }
    ports::UiPorts& Ports() { return ui_; }
    transfer::CFileDownload& FileDownload() { return *m_oFileDownload; }
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
    // The ports the core talks to, each forwarding to the window.
    class StatusPort : public ports::StatusLine {
    public:
        explicit StatusPort(frmMain& window) : window_(window) {}
        void SetText(const std::string& text) override { window_.SetStatusText(text); }
        std::string Text() const override { return window_.StatusText(); }
        void SetColour(std::uint32_t rgb) override { window_.SetStatusColour(rgb); }

    private:
        frmMain& window_;
    };
    class MessagePort : public ports::MessageBox {
    public:
        explicit MessagePort(frmMain& window) : window_(window) {}
        void Show(const std::string& text) override { window_.ShowMessage(text); }

    private:
        frmMain& window_;
    };
    class PumpPort : public ports::EventPump {
    public:
        explicit PumpPort(frmMain& window) : window_(window) {}
        void ProcessPending() override { window_.ProcessPending(); }

    private:
        frmMain& window_;
    };
    class SwitcherPort : public ports::WindowSwitcher {
    public:
        explicit SwitcherPort(frmMain& window) : window_(window) {}
        void ShowSettingsHideMain() override { window_.ShowSettingsHideMain(); }

    private:
        frmMain& window_;
    };
    class ControlsPort : public ports::DownloadControls {
    public:
        explicit ControlsPort(frmMain& window) : window_(window) {}
        bool UseDownloadManager() const override { return window_.UseDownloadManager(); }
        std::string SavePathText() const override { return window_.SavePathText(); }

    private:
        frmMain& window_;
    };
    // Marks a list fetch or a download run as on the stack for its scope;
    // the guarded buttons show whether they would take a click.
    class OnStack {
    public:
        OnStack(frmMain& window, bool& flag) : window_(window), flag_(flag) {
            flag_ = true;
            window_.ShowGuardedButtons();
        }
        ~OnStack() {
            flag_ = false;
            window_.ShowGuardedButtons();
        }
        OnStack(const OnStack&) = delete;
        OnStack& operator=(const OnStack&) = delete;

    private:
        frmMain& window_;
        bool& flag_;
    };
    // A handler that may wait on page requests: the wait ends with it.
    class Step {
    public:
        explicit Step(frmMain& window) : window_(window) {}
        ~Step() { window_.EndPageWait(); }
        Step(const Step&) = delete;
        Step& operator=(const Step&) = delete;

    private:
        frmMain& window_;
    };

    static frmMain*& WaitPumpOwner();
    void InstallWaitPump();
    void OnNetworkWait(net::WaitKind kind);
    void EndPageWait();
    // Whether a click on the button would start a step now, and the
    // busy cursor over those that would not.
    bool ListClickTaken() const;
    bool DownClickTaken() const;
    bool SettingsClickTaken() const;
    void ShowGuardedButtons();
    void RunStartUpCheck();
    void FillServiceDefaults();
    void CreateControls();
    void ConnectControls();
    void RestoreWindow();
    void RefreshSkin();
    download::SongTransfer& Transfer();

    MainWindowServices services_;
    std::string programFolder_;
    settings::Config config_;
    catalogue::CatalogueState catalogueState_;
    update::UpdateGlobals updateGlobals_;
    std::unique_ptr<update::ClsHNSN> hnsn_;  // the disk identity, for the window's life
    SongListModel* songs_;
    StatusPort statusPort_;
    MessagePort messagePort_;
    PumpPort pumpPort_;
    SwitcherPort switcherPort_;
    ControlsPort controlsPort_;
    ports::UiPorts ui_;
    catalogue::SongCatalogue catalogue_;
    std::unique_ptr<transfer::CFileDownload> m_oFileDownload;
    download::FileDownloadTransfer fileTransfer_;
    std::unique_ptr<RunView> runView_;  // shows the run on cmdDown and PB
    std::unique_ptr<download::DownloadRun> run_;
    frmMenu* menus_ = nullptr;
    PageWait* pageWait_ = nullptr;
    bool stayHidden_ = false;
    bool startUpPending_ = false;
    bool ending_ = false;
    bool listing_ = false;  // cmdList's fetch is on the stack
    bool running_ = false;  // a run cmdDown started is on the stack (also while it unwinds after a pause)
};

}  // namespace tunewell::shell
