#include "update/ui/frm_up_date.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <cstdlib>

#include "chrome/window_top_alpha.h"
#include "shell/progress_bar_widget.h"
#include "shell/shell_functions.h"

namespace tunewell::update {

frmUpDate::frmUpDate(UpdateGlobals& globals, std::string programFolder, QWidget* parent)
    : QWidget(parent, Qt::Window), globals_(globals), programFolder_(std::move(programFolder)) {
    setWindowTitle(QStringLiteral("自动升级程序"));
    setFixedSize(360, 110);
    labTip_ = new QLabel(QStringLiteral("自动升级中,升级完毕后请运行新的版本"), this);
    labTip_->setGeometry(16, 20, 328, 24);
    labTip_->installEventFilter(this);
    pb_ = new widgets::ProgressBar(this);
    pb_->setGeometry(16, 60, 328, 20);
    endProgram = [] { std::exit(0); };
}

frmUpDate::~frmUpDate() = default;

void frmUpDate::Form_Load() {
    std::int32_t alpha = 255;
    chrome::SetWindowTopAlpha(this, true, alpha, false);
    m_oFileDownload = std::make_unique<download::CFileDownload>();
    m_oFileDownload->SetEventPump([this] { ProcessPending(); });
    transfer_ = std::make_unique<download::FileDownloadTransfer>(*m_oFileDownload);
    const std::string exeName = QFileInfo(QCoreApplication::applicationFilePath()).fileName().toStdString();
    updater_ = std::make_unique<ProgramUpdater>(
        ProgramUpdater::Window{*this, *this, [this](const std::string& text) { ShowFailure(text); },
                               [this] { if (endProgram) endProgram(); }},
        *transfer_, globals_, programFolder_, exeName.empty() ? "Tunewell" : exeName);
    m_oFileDownload->OnProgress = [this](std::int64_t bytes, std::int64_t total, std::int32_t speed,
                                         std::int32_t, const std::string&) {
        updater_->ShowProgress(bytes, total, speed);
    };
    SetText("下载进度0%");
    show();
    updater_->StartUpdate();
}

void frmUpDate::ShowFailure(const std::string& text) {
    labTip_->setCursor(Qt::CrossCursor);
    labTip_->setStyleSheet(QStringLiteral("color: #FF0000;"));
    labTip_->setText(QString::fromStdString(text));
}

void frmUpDate::LabTip_Click() {
    if (!globals_.UpdateLink.empty()) shell::OpenUrl(globals_.UpdateLink);
}

void frmUpDate::SetValue(int percent) { pb_->SetValue(percent); }
void frmUpDate::SetText(const std::string& text) { pb_->SetText(QString::fromStdString(text)); }
void frmUpDate::ProcessPending() { QCoreApplication::processEvents(); }

void frmUpDate::closeEvent(QCloseEvent* event) {
    if (m_oFileDownload) m_oFileDownload->AbortDownloading();
    event->accept();
    if (endProgram) endProgram();
}

bool frmUpDate::eventFilter(QObject* watched, QEvent* event) {
    if (watched == labTip_ && event->type() == QEvent::MouseButtonRelease) LabTip_Click();
    return QWidget::eventFilter(watched, event);
}

}  // namespace tunewell::update
