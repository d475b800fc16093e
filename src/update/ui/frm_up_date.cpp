// SPDX-License-Identifier: GPL-3.0-or-later
#include "update/ui/frm_up_date.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <cstdlib>

#include "chrome/skin.h"
#include "chrome/window_top_alpha.h"
#include "net/wait_pump.h"
#include "platform/program_folder.h"
#include "widgets/progress_bar_widget.h"
#include "widgets/shell_functions.h"

namespace tunewell::update {
namespace {

// The client area inside the frame runs from below the 27-pixel title bar
// to above the 21-pixel bottom strip and 5-pixel bottom border, between
// 4-pixel side borders. The label and the bar sit in it with a margin.
const QSize kWindowSize(360, 126);
const QRect kTipPlace(16, 36, 328, 20);
const QRect kBarPlace(16, 64, 328, 22);

}  // namespace

frmUpDate::frmUpDate(UpdateGlobals& globals, std::string programFolder, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowCloseButtonHint),
      globals_(globals),
      programFolder_(std::move(programFolder)) {
    setObjectName(QStringLiteral("frmUpDate"));
    // Whether closing ends the program is this window's decision (not while
    // the main window can be used, say from the tray), not Qt's rule of the
    // last visible window.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QStringLiteral("自动升级程序"));
    setFixedSize(kWindowSize);
    // The frame first, so that it lies behind the label and the bar. The
    // window has neither minimise nor maximise button: close only.
    skin1 = new chrome::Skin(this);
    skin1->setObjectName(QStringLiteral("skin1"));
    labTip_ = new QLabel(QStringLiteral("自动升级中,升级完毕后请运行新的版本"), this);
    labTip_->setObjectName(QStringLiteral("LabTip"));
    labTip_->setTextFormat(Qt::PlainText);
    labTip_->setGeometry(kTipPlace);
    labTip_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    labTip_->installEventFilter(this);
    pb_ = new widgets::ProgressBar(this);
    pb_->setObjectName(QStringLiteral("PB"));
    pb_->setGeometry(kBarPlace);
    endProgram = [] { std::exit(0); };
    openUrl = widgets::OpenUrl;
    CentreOnScreen();
}

// The window has no system frame, so it places itself: in the middle of the
// screen, where the hidden main window's user looks for it.
void frmUpDate::CentreOnScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect area = screen->availableGeometry();
    move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height()) / 2);
}

frmUpDate::~frmUpDate() = default;

void frmUpDate::Form_Load() {
    std::int32_t alpha = 255;
    chrome::SetWindowTopAlpha(this, true, alpha, false);
    m_oFileDownload = std::make_unique<transfer::CFileDownload>();
    transfer_ = std::make_unique<transfer::FileDownloadFetch>(*m_oFileDownload);
    const std::string exeName = QFileInfo(QCoreApplication::applicationFilePath()).fileName().toStdString();
    updater_ = std::make_unique<ProgramUpdater>(
        ProgramUpdater::Window{*this, *this, [this](const std::string& text) { ShowFailure(text); },
                               [this] { if (endProgram) endProgram(); }},
        *transfer_, globals_, programFolder_, exeName.empty() ? platform::MainProgramFileName() : exeName);
    m_oFileDownload->OnProgress = [this](std::int64_t bytes, std::int64_t total, std::int32_t speed,
                                         std::int32_t, const std::string&) {
        updater_->ShowProgress(bytes, total, speed);
    };
    SetText("下载进度0%");
    show();
    updating_ = true;
    {
        // The update's transfers process this window's events; a page
        // wait keeps the pump it had.
        const net::WaitPump outer = net::InstalledWaitPump();
        const net::ScopedWaitPump pump([this, outer](net::WaitKind kind) {
            if (kind == net::WaitKind::kTransfer) {
                ProcessPending();
            } else if (outer) {
                outer(kind);
            }
        });
        updater_->StartUpdate();
    }
    updating_ = false;
    if (closed_) EndUnlessMainWindowUsable();
}

void frmUpDate::ShowFailure(const std::string& text) {
    labTip_->setCursor(Qt::CrossCursor);
    QPalette palette = labTip_->palette();
    palette.setColor(QPalette::WindowText, QColor(0xFF, 0x00, 0x00));
    labTip_->setPalette(palette);
    labTip_->setText(QString::fromStdString(text));
    // The label's text is the link; the cause is there for a closer look.
    labTip_->setToolTip(QString::fromStdString(updater_ ? updater_->FailureCause() : std::string()));
}

void frmUpDate::LabTip_Click() {
    if (!globals_.UpdateLink.empty() && openUrl) openUrl(globals_.UpdateLink);
}

void frmUpDate::SetValue(int percent) { pb_->SetValue(percent); }
void frmUpDate::SetText(const std::string& text) { pb_->SetText(QString::fromStdString(text)); }
void frmUpDate::ProcessPending() { QCoreApplication::processEvents(); }

void frmUpDate::closeEvent(QCloseEvent* event) {
    if (m_oFileDownload) m_oFileDownload->AbortDownloading();
    event->accept();
    if (updating_) {
        // Ending here would leave the private download folder behind: the
        // update removes it as the aborted transfer returns.
        closed_ = true;
        return;
    }
    EndUnlessMainWindowUsable();
}

void frmUpDate::EndUnlessMainWindowUsable() {
    if (!mainWindowUsable_ && endProgram) endProgram();
}

bool frmUpDate::eventFilter(QObject* watched, QEvent* event) {
    // A click is a left button released over the label.
    if (watched == labTip_ && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && labTip_->rect().contains(mouse->position().toPoint())) {
            LabTip_Click();
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace tunewell::update
