#pragma once
#include <QWidget>
#include <memory>

#include "transfer/updater_file_download.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace tunewell::updater {

// The updater's one window: choose an edition, press start; it ends the
// running main program, downloads the edition over the main program's
// file, reports, starts the main program again and closes. The transfer
// writes to a temporary file first, so a failed download leaves the old
// program intact.
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

    // Seams for tests: the final message and the program start.
    std::function<void(const QString&)> showMessage;
    std::function<void(const QString&)> startProgram;
    std::function<void()> endUpdater;

public slots:
    void cmdStart_Click();

private:
    void Form_Load();
    void m_oFileDownload_OnProgress(std::int64_t lProgress, std::int64_t lMaxProgress);

    std::unique_ptr<transfer::CUpdaterFileDownload> m_oFileDownload;
    QRadioButton* chinese0_;
    QRadioButton* chinese1_;
    QPushButton* cmdStart_;
    QProgressBar* pb_;
    QLabel* lblProgress_;
};

}  // namespace tunewell::updater
