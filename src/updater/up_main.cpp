// SPDX-License-Identifier: GPL-3.0-or-later
#include "updater/up_main.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <new>

#include "base/program_version.h"
#include "hosts/site_hosts.h"
#include "net/wait_pump.h"
#include "platform/folder_facts.h"
#include "platform/detached_start.h"
#include "platform/file_replace.h"
#include "platform/program_folder.h"
#include "platform/temp_folder.h"
#include "transfer/progress_text.h"
#include "trust/program_vetting.h"
#include "transfer/failure_text.h"

namespace tunewell::updater {
namespace {

// Removes the private download folder on every way out of the update.
struct PrivateFolderRemoval {
    const std::string& folder;
    ~PrivateFolderRemoval() { platform::RemovePrivateFolder(folder); }
};

}  // namespace

upMain::upMain(QWidget* parent) : QWidget(parent) {
    setWindowTitle(QStringLiteral("Tunewell音乐下载助手升级程序"));
    setFixedSize(320, 150);
    chinese0_ = new QRadioButton(QStringLiteral("中文版"), this);
    chinese1_ = new QRadioButton(QStringLiteral("繁體版"), this);
    cmdStart_ = new QPushButton(QStringLiteral("开始升级"), this);
    pb_ = new QProgressBar(this);
    lblProgress_ = new QLabel(this);
    chinese0_->setGeometry(24, 16, 100, 24);
    chinese1_->setGeometry(140, 16, 100, 24);
    cmdStart_->setGeometry(204, 48, 96, 30);
    pb_->setGeometry(24, 90, 276, 20);
    pb_->setRange(0, 100);
    pb_->setTextVisible(false);
    lblProgress_->setGeometry(24, 116, 276, 20);
    lblProgress_->setTextFormat(Qt::PlainText);
    chinese0_->setChecked(true);
    connect(cmdStart_, &QPushButton::clicked, this, &upMain::cmdStart_Click);

    // The text and an OK button, no icon.
    showMessage = [this](const QString& text) {
        QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), text, QMessageBox::Ok,
                        this);
        box.setTextFormat(Qt::PlainText);
        box.exec();
    };
    startProgram = [](const QString& path) {
        platform::StartDetachedProgram(path.toStdString(), QCoreApplication::applicationDirPath().toStdString());
    };
    endUpdater = [] { QCoreApplication::quit(); };
    mayReplace = platform::MayReplaceFile;
    Form_Load();
}

upMain::~upMain() = default;

void upMain::Form_Load() {
    m_oFileDownload = std::make_unique<transfer::CUpdaterFileDownload>();
    m_oFileDownload->OnProgress = [this](std::int64_t progress, std::int64_t max, std::int32_t,
                                         const std::string&) { m_oFileDownload_OnProgress(progress, max); };
    lblProgress_->setText(QStringLiteral("更新进度0%"));
    cmdStart_->setEnabled(true);
}

QString upMain::EditionAddress() const {
    const char* path = chinese0_->isChecked() ? "/Upload/Tunewell.exe" : "/Upload/Tunewell2.exe";
    return QString::fromUtf8(hosts::kVersionServer) + QString::fromLatin1(path);
}

QString upMain::TargetPath() {
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') +
           QString::fromStdString(platform::MainProgramFileName());
}

QString upMain::RefusalFor(const QString& target) const {
    if (!selfUpdate_) {
        return QStringLiteral("本程序由系统的软件包管理，请用软件包管理器升级，升级程序不会替换它。");
    }
    if (mayReplace && mayReplace(target.toStdString())) return {};
    return QStringLiteral("无法写入程序文件 %1，升级已取消。请用对该文件有写入权限的帐户运行升级程序。")
        .arg(target);
}

void upMain::cmdStart_Click() {
    const QString target = TargetPath();
    // Checked before anything happens: a program that cannot be replaced
    // must not be ended either.
    const QString refusal = RefusalFor(target);
    if (!refusal.isEmpty()) {
        lblProgress_->setText(QStringLiteral("升级失败"));
        showMessage(refusal);
        endUpdater();
        return;
    }
    ended_ = DelTunewell(*processTable_, target.toStdString());
    // The program is ended now: whatever happens from here, an exception
    // included, it is started again below (the old one when the update
    // failed, which leaves its file as it was).
    QString cause;
    try {
        cause = UpdateProgram(target);
    } catch (const std::bad_alloc&) {
        cause = QStringLiteral("内存不足");
    } catch (...) {
        cause = QStringLiteral("程序内部错误");
    }
    try {
        ShowOutcome(cause);
    } catch (...) {
        // Starting the program matters more than the report.
    }
    startProgram(target);
    endUpdater();
}

QString upMain::UpdateProgram(const QString& target) {
    const QString address = EditionAddress();
    pb_->setValue(0);
    cmdStart_->setEnabled(false);
    QCoreApplication::processEvents();
    return QString::fromStdString(DownloadAndReplace(address, target));
}

void upMain::ShowOutcome(const QString& cause) {
    const QString outcome = cause.isEmpty() ? QStringLiteral("升级完毕") : QStringLiteral("升级失败");
    lblProgress_->setText(outcome);
    QCoreApplication::processEvents();
    cmdStart_->setEnabled(true);
    cmdStart_->setText(outcome);
    showMessage(cause.isEmpty() ? QStringLiteral("升级完毕!") : QStringLiteral("升级失败：") + cause);
}

std::string upMain::DownloadAndReplace(const QString& address, const QString& target) {
    const std::string folder = platform::MakePrivateFolder("tunewell-updater-");
    if (folder.empty()) return "无法创建临时文件夹";
    const PrivateFolderRemoval removal{folder};
    const trust::DownloadStep download = [this](const std::string& source, const std::string& file,
                                               std::int64_t maxBytes, std::int64_t& announced) {
        m_oFileDownload->SetSizeCap(maxBytes);
        const net::ScopedWaitPump pump([](net::WaitKind) { QCoreApplication::processEvents(); });
        const bool ok = m_oFileDownload->StartDownloading(source, file);
        announced = m_oFileDownload->AnnouncedLength();
        return ok;
    };
    const std::string downloaded = folder + "/" + platform::MainProgramFileName();
    // Told no version, it accepts none older than itself, so an older
    // signed program cannot be put back.
    const trust::VersionRule notOlder = trust::VersionRule::AtLeast(base::kProgramVersion);
    const trust::Verdict verdict =
        trust::FetchProgram(download, address.toStdString(), downloaded, notOlder, updateKey_);
    if (verdict == trust::Verdict::kDownloadFailed) {
        return transfer::ProgramFailureText(m_oFileDownload->LastFailure(), trust::kMaxProgramBytes);
    }
    if (verdict != trust::Verdict::kAccepted) return trust::VerdictText(verdict);
    platform::ReplaceTemp::Options options;
    options.newFileMode = platform::NewProgramFileMode();
    if (!platform::ReplaceFileFrom(target.toStdString(), downloaded, options)) {
        return "无法替换程序文件 " + target.toStdString();
    }
    return {};
}

void upMain::m_oFileDownload_OnProgress(std::int64_t lProgress, std::int64_t lMaxProgress) {
    const long long percent = transfer::ProgressPercent(lProgress, lMaxProgress);
    pb_->setValue(transfer::BarValue(percent));
    lblProgress_->setText(QString::fromStdString(transfer::ProgressText(percent)));
}

}  // namespace tunewell::updater
