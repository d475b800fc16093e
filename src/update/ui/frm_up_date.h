#pragma once
#include <QWidget>
#include <functional>
#include <memory>

#include "download/file_download_transfer.h"
#include "download/transfer/file_download.h"
#include "shell/ports/event_pump.h"
#include "shell/ports/progress_bar.h"
#include "update/program_updater.h"

class QLabel;

namespace tunewell::widgets {
class ProgressBar;
}

namespace tunewell::update {

// The in-program updater window. Loading it starts the download of the new
// program at once; success hands over to the companion script and ends the
// program, failure shows the manual download link. Closing it ends the
// program (the main window is hidden by then).
class frmUpDate : public QWidget, public shell::ProgressBar, public shell::EventPump {
    Q_OBJECT
public:
    frmUpDate(UpdateGlobals& globals, std::string programFolder, QWidget* parent = nullptr);
    ~frmUpDate() override;

    // Shows the window and runs the update (blocking, events processed).
    void Form_Load();
    void LabTip_Click();

    QLabel* LabTip() const { return labTip_; }
    widgets::ProgressBar* PB() const { return pb_; }

    // How the program ends; tests replace it.
    std::function<void()> endProgram;
    // Where the updater downloads from; tests replace it.
    download::CFileDownload& Transfer() { return *m_oFileDownload; }

    void SetValue(int percent) override;
    void SetText(const std::string& text) override;
    void ProcessPending() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowFailure(const std::string& text);

    UpdateGlobals& globals_;
    std::string programFolder_;
    QLabel* labTip_;
    widgets::ProgressBar* pb_;
    std::unique_ptr<download::CFileDownload> m_oFileDownload;
    std::unique_ptr<download::FileDownloadTransfer> transfer_;
    std::unique_ptr<ProgramUpdater> updater_;
};

}  // namespace tunewell::update
