// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/frm_main.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QMenu>
#include <QTimer>

#include "chrome/skin.h"
#include "chrome/text_box.h"
#include "hosts/site_hosts.h"
#include "settings/config.h"
#include "settings/program_places.h"
#include "shell/frm_menu.h"
#include "download/failure_text.h"
#include "shell/run_view.h"
#include "shell/song_list_model.h"
#include "shell/song_list_view.h"
#include "widgets/message_dialog.h"
#include "widgets/progress_bar_widget.h"
#include "widgets/shell_functions.h"
#include "widgets/skin_button.h"
#include "widgets/uc_ani_gif.h"
#include "widgets/window_place.h"

namespace tunewell::shell {
namespace {

constexpr const char* kFolderDialogTitle = "请选择保存文件夹";

// How long the version check waits for the window's first painting.
constexpr int kFirstPaintWaitMs = 500;

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

frmMain::frmMain(MainWindowServices services, QWidget* parent)
    : QWidget(parent),
      services_(std::move(services)),
      songs_(new SongListModel(this)),
      ports_(*this),
      session_({ports_, ports_, *songs_, ports_, ports_}, SessionOptions()) {
    FillServiceDefaults(services_, *this);
    CreateControls();
    ConnectControls();
    runView_ = std::make_unique<RunView>(*cmdDown, *PB);
    runView_->onRunOver = [this](const ports::RunOutcome& outcome) { ShowRunOutcome(outcome); };
    session_.OpenRun(ports_, *runView_);
    place_ = new widgets::WindowPlace(this);
    pageWait_ = new PageWait(this);
}

frmMain::~frmMain() { widgets::RemoveTrayIcon(this, kTrayIconId); }

// The session's transfer, run seams and network pump come from the window.
session::Session::Options frmMain::SessionOptions() {
    session::Session::Options options;
    options.programFolder = services_.programFolder;
    options.transfer = services_.transfer;
    options.waitPump = [this](net::WaitKind kind) { OnNetworkWait(kind); };
    options.isRunning = services_.isRunning;
    options.managerEndpoint = services_.managerEndpoint;
    return options;
}

void frmMain::ConnectControls() {
    connect(cmdList, &QPushButton::clicked, this, &frmMain::cmdList_Click);
    // The keyboard's ways to the same handlers: Enter in the address field
    // fetches, Ctrl+A ticks every row (in a text field it selects its text).
    connect(ListUrl->Field(), &QLineEdit::returnPressed, this, &frmMain::cmdList_Click);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &frmMain::AbandonListFetch);
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
    session_.LoadSettings();
    settings::Config& config = session_.Settings();
    if (config.ListUrl.empty()) config.ListUrl = std::string("http://") + hosts::kMusicHost + "/music/";
    ListUrl->SetText(Q(config.ListUrl));
    SavePath->SetText(Q(config.SavePath));
    LabVer->setText(QStringLiteral("Ver%1.%2").arg(update::kVersionMajor).arg(update::kVersionMinor));
    // The window shows first; the version check runs after its first
    // painting (or after a short wait, should no painting come).
    startUpPending_ = true;
    loaded_ = true;
    skin1->installEventFilter(this);
    if (const auto spot = settings::ReadWindowSpot(session_.ConfigPath())) {
        place_->StartAt(QPoint(spot->left, spot->top));
    }
    show();
    QTimer::singleShot(kFirstPaintWaitMs, this, &frmMain::RunStartUpCheck);
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
    Run().Stop();
    KeepPlace();
    widgets::RemoveTrayIcon(this, kTrayIconId);
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != this) window->hide();
    }
    services_.endProgram();
}

// The next start opens where this one closed. Only a window that started
// stores its place, and only a changed place is written.
void frmMain::KeepPlace() {
    if (!loaded_) return;
    const QPoint place = place_->Place();
    const settings::WindowSpot spot{place.x(), place.y()};
    const std::string configPath = session_.ConfigPath();
    if (configPath.empty() || settings::ReadWindowSpot(configPath) == spot) return;
    settings::SaveWindowSpot(configPath, spot);  // a settings file that cannot be written only loses the place
}

void frmMain::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

// ---- Buttons ----

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
