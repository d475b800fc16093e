// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "transfer/file_download_fetch.h"
#include "transfer/file_download.h"
#include "ports/event_pump.h"
#include "ports/progress_bar.h"
#include "update/program_updater.h"

class QLabel;

namespace tunewell::chrome {
class Skin;
}

namespace tunewell::widgets {
class ProgressBar;
}

namespace tunewell::update {

// The in-program updater window. Loading it starts the download of the new
// program at once; success hands over to the companion script and ends the
// program, failure shows the manual download link. Closing it ends the
// program while the main window is hidden (during the download, or when
// the opener never shows it again); once the opener has made the main
// window usable again it only closes this window. Closed during the
// download, it first aborts the transfer and lets the update remove its
// private folder, then ends the program. The window carries the skinned
// frame `skin1` with the caption "自动升级程序" and a close button.
class frmUpDate : public QWidget, public ports::ProgressBar, public ports::EventPump {
    Q_OBJECT
public:
    frmUpDate(UpdateGlobals& globals, std::string programFolder, QWidget* parent = nullptr);
    ~frmUpDate() override;

    // Shows the window and runs the update (blocking, events processed).
    void Form_Load();
    // The main window can be used again (shown after a failed update):
    // closing this window no longer ends the program.
    void SetMainWindowUsable(bool usable) { mainWindowUsable_ = usable; }
    // Opens the manual download address (through openUrl) once a failed
    // update has set it; does nothing before.
    void LabTip_Click();

    QLabel* LabTip() const { return labTip_; }
    widgets::ProgressBar* PB() const { return pb_; }

    // The window's frame; it lies behind the label and the bar.
    chrome::Skin* skin1 = nullptr;

    // How the program ends; tests replace it.
    std::function<void()> endProgram;
    // How the label's click opens the manual download address (the user's
    // browser by default); tests replace it.
    std::function<void(const std::string& address)> openUrl;
    // The window's transfer object; it exists from Form_Load on.
    transfer::CFileDownload& Transfer() { return *m_oFileDownload; }

    void SetValue(int percent) override;
    void SetText(const std::string& text) override;
    void ProcessPending() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CentreOnScreen();
    void ShowFailure(const std::string& text);
    void EndUnlessMainWindowUsable();

    UpdateGlobals& globals_;
    std::string programFolder_;
    QLabel* labTip_;
    widgets::ProgressBar* pb_;
    std::unique_ptr<transfer::CFileDownload> m_oFileDownload;
    std::unique_ptr<transfer::FileDownloadFetch> transfer_;
    std::unique_ptr<ProgramUpdater> updater_;
    bool updating_ = false;  // inside StartUpdate
    bool closed_ = false;    // closed while updating: ends once the update has unwound
    bool mainWindowUsable_ = false;
};

}  // namespace tunewell::update
