// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "platform/process_list.h"
#include "transfer/updater_file_download.h"
#include "trust/self_update.h"
#include "trust/update_key.h"
#include "updater/del_tunewell.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace tunewell::updater {

// The updater's one window: choose an edition, press start; it ends the
// running main program (only the one started from the file it replaces),
// downloads the edition into a private temporary folder, and replaces the
// main program's file with it in one rename only when the download is a
// complete program this platform can start, signed by the update key as a
// version not older than this build. It reports the outcome ("升级完毕!", or
// "升级失败：" and the cause), starts the main program again and closes.
// Any failure, an exception included, leaves the old program byte for
// byte as it was and starts it again; the download is capped while it
// arrives (trust::kMaxProgramBytes) and nothing stays in the temporary
// folder. When it may not replace the program (a build without self-update, or
// a program file or folder this user cannot write) it says why and ends,
// downloads and starts nothing.
class upMain : public QWidget {
    Q_OBJECT
public:
    explicit upMain(QWidget* parent = nullptr);
    ~upMain() override;

    // Download address of the selected edition.
    QString EditionAddress() const;
    // The main program's file beside the updater.
    static QString TargetPath();

    QRadioButton* Chinese(int index) const { return index == 0 ? chinese0_ : chinese1_; }
    QPushButton* StartButton() const { return cmdStart_; }
    QLabel* ProgressLabel() const { return lblProgress_; }
    QProgressBar* Bar() const { return pb_; }

    // The main program ended by the last start (id 0 when none ran).
    const EndedProcess& EndedMainProgram() const { return ended_; }
    // The process table the main program is ended through; tests inject
    // their own. Not owned; must outlive the window.
    void SetProcessTable(platform::ProcessTable& table) { processTable_ = &table; }

    // The key downloads must be signed with; the build's key unless a test
    // sets its own.
    void SetUpdateKey(std::string key) { updateKey_ = std::move(key); }
    // Whether this build replaces the program; trust::kSelfUpdate unless a
    // test decides.
    void SetSelfUpdate(bool allowed) { selfUpdate_ = allowed; }
    // Why the program at `target` may not be replaced here; empty when it
    // may.
    QString RefusalFor(const QString& target) const;

    // Seams for tests: the final message and the program start.
    std::function<void(const QString&)> showMessage;
    std::function<void(const QString&)> startProgram;
    std::function<void()> endUpdater;
    // Whether this user may replace the program file (platform::
    // MayReplaceFile); tests replace it.
    std::function<bool(const std::string& path)> mayReplace;

public slots:
    void cmdStart_Click();

public:
    // A progress report of the transfer: "已下载p%" and the bar at p, p = 0
    // when the maximum is unknown (0).
    void m_oFileDownload_OnProgress(std::int64_t lProgress, std::int64_t lMaxProgress);

private:
    void Form_Load();
    // Shows the download starting and runs it: the cause of a failure,
    // empty on success.
    QString UpdateProgram(const QString& target);
    // The label, the button and the final message for the outcome.
    void ShowOutcome(const QString& cause);
    // Downloads into a private temporary folder, checks the download and
    // replaces `target` with it in one rename. The cause of a failure in
    // words for the user (target untouched); empty on success.
    std::string DownloadAndReplace(const QString& address, const QString& target);

    platform::SystemProcessTable systemTable_;
    platform::ProcessTable* processTable_ = &systemTable_;
    EndedProcess ended_;
    std::string updateKey_ = trust::kUpdatePublicKey;
    bool selfUpdate_ = trust::kSelfUpdate;

    std::unique_ptr<transfer::CUpdaterFileDownload> m_oFileDownload;
    QRadioButton* chinese0_;
    QRadioButton* chinese1_;
    QPushButton* cmdStart_;
    QProgressBar* pb_;
    QLabel* lblProgress_;
};

}  // namespace tunewell::updater
