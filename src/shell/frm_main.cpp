#include "shell/frm_main.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>

#include <cstdio>

#include "catalogue/list_command.h"
#include "chrome/skin.h"
#include "chrome/text_box.h"
#include "platform/program_folder.h"
#include "settings/program_places.h"
#include "shell/frm_menu.h"
#include "download/failure_text.h"
#include "shell/run_view.h"
#include "widgets/message_dialog.h"
#include "settings/ui/settings_window_launcher.h"
#include "widgets/progress_bar_widget.h"
#include "widgets/shell_functions.h"
#include "widgets/skin_button.h"
#include "shell/song_list_model.h"
#include "shell/song_list_view.h"
#include "widgets/uc_ani_gif.h"
#include "widgets/window_place.h"
#include "update/ui/frm_up_date.h"
#include "hosts/site_hosts.h"

namespace tunewell::shell {
namespace {

constexpr const char* kFolderDialogTitle = "请选择保存文件夹";
constexpr std::uint32_t kFolderDialogFlags = widgets::kBrowseFileSystemOnly | widgets::kBrowseNewDialogStyle;
constexpr int kTrayIconId = 0;

// How long the version check waits for the window's first painting.
constexpr int kFirstPaintWaitMs = 500;

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

// The window whose pump is installed: the last one created that still lives.
frmMain*& frmMain::WaitPumpOwner() {
    static frmMain* owner = nullptr;
    return owner;
}

frmMain::frmMain(MainWindowServices services, QWidget* parent)
    : QWidget(parent),
      services_(std::move(services)),
      programFolder_(services_.programFolder.empty() ? platform::ProgramFolder() : services_.programFolder),
      songs_(new SongListModel(this)),
      statusPort_(*this),
      messagePort_(*this),
      pumpPort_(*this),
      switcherPort_(*this),
      controlsPort_(*this),
      ui_{statusPort_, messagePort_, *songs_, pumpPort_, switcherPort_},
      catalogue_(ui_, config_, catalogueState_),
      m_oFileDownload(std::make_unique<transfer::CFileDownload>()),
      fileTransfer_(*m_oFileDownload) {
    FillServiceDefaults();
    CreateControls();
    ConnectControls();
    runView_ = std::make_unique<RunView>(*cmdDown, *PB);
    runView_->onRunOver = [this](const ports::RunOutcome& outcome) { ShowRunOutcome(outcome); };
    download::DownloadRun::Services runServices{Transfer(), {}, services_.isRunning,
                                                services_.managerEndpoint};
    run_ = std::make_unique<download::DownloadRun>(ui_, controlsPort_, *runView_, config_,
                                                   std::move(runServices));
    m_oFileDownload->OnProgress = [this](std::int64_t progress, std::int64_t maxProgress,
                                         std::int32_t speed, std::int32_t status,
                                         const std::string& statusText) {
        m_oFileDownload_OnProgress(progress, maxProgress, speed, status, statusText);
    };
    m_oFileDownload->SetEventPump([this] { ProcessPending(); });
    new widgets::WindowPlace(this);
    pageWait_ = new PageWait(this);
    InstallWaitPump();
}

frmMain::~frmMain() {
    if (WaitPumpOwner() == this) {
        net::SetWaitPump(nullptr);
        WaitPumpOwner() = nullptr;
    }
    widgets::RemoveTrayIcon(this, kTrayIconId);
    // The transfer must not report into a half-destroyed window.
    m_oFileDownload->OnProgress = nullptr;
    m_oFileDownload->SetEventPump(nullptr);
}

void frmMain::FillServiceDefaults() {
    if (!services_.browseForFolder) {
        services_.browseForFolder = [](QWidget* owner, const std::string& title, const std::string& start) {
            return widgets::BrowseForFolder(owner, title, kFolderDialogFlags, start);
        };
    }
    if (!services_.openUrl) services_.openUrl = widgets::OpenUrl;
    if (!services_.openFolder) services_.openFolder = widgets::OpenFolder;
    if (!services_.trayAvailable) services_.trayAvailable = QSystemTrayIcon::isSystemTrayAvailable;
    if (!services_.showSettings) {
        services_.showSettings = [this](QWidget* mainWindow) {
            ShowSettingsWindow(mainWindow, config_, programFolder_);
        };
    }
    if (!services_.endProgram) services_.endProgram = [] { QCoreApplication::quit(); };
    if (!services_.notify) {
        services_.notify = [this](const std::string& title, const std::string& text) {
            widgets::ShowTrayMessage(this, kTrayIconId, title, text);
        };
    }
    if (!services_.diskSerial) {
        services_.diskSerial = [this] {
            if (!hnsn_) hnsn_ = std::make_unique<update::ClsHNSN>();
            hnsn_->SetCurrentDrive(0);
            return hnsn_->GetSerialNumber();
        };
    }
    if (!services_.openUpdater) {
        services_.openUpdater = [this](frmMain& window) {
            // The updater window runs its download at once, with this window
            // hidden; on success the program ends inside it. On failure it
            // stays open in front, and this window shows behind it so the
            // user can go on: closing the updater then ends nothing.
            window.StayHiddenAfterLoad();
            window.hide();
            QPointer<update::frmUpDate> updater =
                new update::frmUpDate(window.Globals(), window.ProgramFolderPath());
            updater->setAttribute(Qt::WA_DeleteOnClose);
            if (services_.endProgramAtOnce) updater->endProgram = services_.endProgramAtOnce;
            updater->Form_Load();
            if (!updater || !updater->isVisible() || ending_) return;
            window.ShowAfterFailedUpdate();
            updater->SetMainWindowUsable(true);
            updater->raise();
            updater->activateWindow();
        };
    }
}

transfer::FileFetch& frmMain::Transfer() {
    return services_.transfer != nullptr ? *services_.transfer : fileTransfer_;
}

void frmMain::ConnectControls() {
    connect(cmdList, &QPushButton::clicked, this, &frmMain::cmdList_Click);
    // The keyboard's ways to the same handlers: Enter in the address field
    // fetches, Ctrl+A ticks every row (in a text field it selects its text).
    connect(ListUrl->Field(), &QLineEdit::returnPressed, this, &frmMain::cmdList_Click);
    connect(new QShortcut(QKeySequence::SelectAll, this), &QShortcut::activated, this, &frmMain::selAll_Click);
    connect(cmdDown, &QPushButton::clicked, this, &frmMain::cmdDown_Click);
    connect(cmdSel, &QPushButton::clicked, this, &frmMain::cmdSel_Click);
    connect(cmdCon, &QPushButton::clicked, this, &frmMain::cmdCon_Click);
    connect(cmdHelp, &QPushButton::clicked, this, &frmMain::cmdHelp_Click);
    connect(cmdOpen, &QPushButton::clicked, this, &frmMain::cmdOpen_Click);
    connect(cmdDir, &QPushButton::clicked, this, &frmMain::cmdDir_Click);
    connect(selAll, &QPushButton::clicked, this, &frmMain::selAll_Click);
    connect(selBack, &QPushButton::clicked, this, &frmMain::selBack_Click);
    connect(ListMusic, &SongListView::ItemClick, this, &frmMain::ListMusic_ItemClick);
    connect(ucAniGIF1, &widgets::ucAniGIF::Click, this, &frmMain::ucAniGIF1_Click);
}

frmMenu& frmMain::Menus() {
    if (menus_ == nullptr) menus_ = new frmMenu(*this);
    return *menus_;
}

// ---- Start-up and closing ----

void frmMain::Form_Load() {
    RefreshSkin();
    settings::LoadConfig(config_, programFolder_);
    if (config_.ListUrl.empty()) config_.ListUrl = std::string("http://") + hosts::kMusicHost + "/music/";
    ListUrl->SetText(Q(config_.ListUrl));
    SavePath->SetText(Q(config_.SavePath));
    LabVer->setText(QStringLiteral("Ver%1.%2").arg(update::kVersionMajor).arg(update::kVersionMinor));
    // The window shows first; the version check runs after its first
    // painting (or after a short wait, should no painting come).
    startUpPending_ = true;
    skin1->installEventFilter(this);
    show();
    QTimer::singleShot(kFirstPaintWaitMs, this, &frmMain::RunStartUpCheck);
}

void frmMain::CheckVersion() {
    Step step(*this);
    update::VersionCheck check(statusPort_, pumpPort_, updateGlobals_, [this] {
        if (!ending_) services_.openUpdater(*this);
    });
    check.fetch = services_.fetchVersionReply;
    check.CheckVersion(services_.diskSerial());
}

void frmMain::ShowAfterFailedUpdate() {
    stayHidden_ = false;
    show();
}

void frmMain::Form_Unload() {
    if (ending_) return;
    ending_ = true;
    EndPageWait();
    // Stop the run itself, not only the song under way: the run would
    // otherwise go on with the next song while the program waits to end.
    run_->Stop();
    widgets::RemoveTrayIcon(this, kTrayIconId);
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != this) window->hide();
    }
    services_.endProgram();
}

void frmMain::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

// ---- Buttons ----

void frmMain::cmdList_Click() {
    if (!ListClickTaken()) return;
    Step step(*this);
    OnStack busy(*this, listing_);
    catalogue::RunListCommand(ui_, catalogue_, ListUrl->Text().toStdString(),
                              SavePath->Text().toStdString(), settings::ConfigPath(programFolder_));
}

void frmMain::cmdDown_Click() {
    if (!DownClickTaken()) return;
    Step step(*this);
    if (run_->CurrentState() == download::DownloadRun::State::Running) {
        // A pause, whatever the list holds now: the start's checks (a ticked
        // row, the folder, the download manager) would otherwise refuse it
        // once the user has unticked the rest or fetched a new list, and
        // the run could not be stopped. It ends at its next step.
        run_->Stop();
        ShowGuardedButtons();
        return;
    }
    OnStack busy(*this, running_);
    run_->cmdDown_Click();
}

void frmMain::cmdSel_Click() {
    Menus().m_Show->popup(mapToGlobal(QPoint(cmdSel->x(), cmdSel->y() + cmdSel->height())));
}

void frmMain::cmdCon_Click() {
    if (SettingsClickTaken()) ShowSettingsHideMain();
}

void frmMain::cmdHelp_Click() { services_.openUrl(std::string(hosts::kVersionServer) + "/log/tunewell/"); }

void frmMain::cmdOpen_Click() { services_.openFolder(SavePathText()); }

// The dialog starts at the folder in the field; a cancelled one leaves the
// field as it was.
void frmMain::cmdDir_Click() {
    EndPageWait();  // the dialog takes the user's clicks: no busy cursor over it
    const std::string folder = services_.browseForFolder(
        this, kFolderDialogTitle, settings::BrowseStartFolder(SavePath->Text().toStdString()));
    if (!folder.empty()) SavePath->SetText(Q(folder));
}

void frmMain::selAll_Click() { songs_->CheckAll(); }

void frmMain::selBack_Click() { songs_->InvertChecks(); }

void frmMain::ListMusic_ItemClick(int position) { songs_->ToggleChecked(position); }

void frmMain::ucAniGIF1_Click() {
    services_.openUrl(std::string(hosts::kVersionServer) + "/tunewell.asp?ReUrl=" + updateGlobals_.AdLink);
}

void frmMain::m_oFileDownload_OnProgress(std::int64_t lProgress, std::int64_t lMaxProgress,
                                         std::int32_t lSpeed, std::int32_t, const std::string&) {
    run_->ShowProgress(lProgress, lMaxProgress, lSpeed);
}

// ---- Tray and window state ----

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

// ---- What the ports forward to ----

void frmMain::SetStatusText(const std::string& text) { LabTip->setText(Q(text)); }

std::string frmMain::StatusText() const { return LabTip->text().toStdString(); }

void frmMain::SetStatusColour(std::uint32_t rgb) {
    QPalette palette = LabTip->palette();
    palette.setColor(QPalette::WindowText, QColor::fromRgb(rgb));
    LabTip->setPalette(palette);
}

void frmMain::ShowMessage(const std::string& text) {
    if (ending_) return;  // the program is going: no box without a window
    EndPageWait();        // the box must take the user's clicks
    widgets::ShowMessage(this, text);
}

void frmMain::ShowRunOutcome(const ports::RunOutcome& outcome) {
    const bool away = !isVisible() || isMinimized();
    if (away && outcome.saved + outcome.handedOff + outcome.failed > 0) {
        services_.notify(windowTitle().toStdString(), download::RunSummaryText(outcome));
    }
    if (!outcome.told && outcome.failed > 0) ShowMessage(download::RunFailuresText(outcome));
}

void frmMain::ProcessPending() {
    if (ending_) return;
    EndPageWait();
    QCoreApplication::processEvents();
}

void frmMain::ShowSettingsHideMain() {
    if (ending_ || !services_.showSettings) return;
    EndPageWait();
    services_.showSettings(this);
    hide();
}

bool frmMain::UseDownloadManager() const { return IsXun->isChecked(); }

// "~/…" in the field means the home folder, as in a shell.
std::string frmMain::SavePathText() const { return settings::SaveFolderOf(SavePath->Text().toStdString()); }

}  // namespace tunewell::shell
