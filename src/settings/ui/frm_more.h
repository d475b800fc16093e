// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QWidget>
#include <string>

#include "settings/config.h"

class QCheckBox;
class QLabel;

namespace tunewell::chrome {
class Skin;
class TextBox;
}  // namespace tunewell::chrome

namespace tunewell::widgets {
class SkinButton;
}

namespace tunewell::settings {

// The more-settings window ("更多设置"), opened from the settings window:
// the settings that have no place there. It shows what Config.ini holds
// for the songs at a time (Jobs) and the download manager's RPC secret
// (Aria2Secret), the retries of a passing failure (Retries) and the speed
// limit in KB/s (SpeedLimit), and whether runs leave out the songs saved
// before (SkipSaved) and whether saved MP3s are tagged (WriteTags); saving checks the numbers (whole numbers
// from 1 to kMaxJobs, 0 to kMaxRetries, 0 to kMaxSpeedLimit), writes the keys, takes them into `config` (the next run uses
// them, nothing else of the settings changes) and closes the window. A
// refusal or a failed write says why and keeps what was typed.
// It carries the skinned frame (caption and close) like the other windows
// and is modal to the window that opened it. `config` must outlive it.
class frmMore : public QWidget {
    Q_OBJECT

public:
    frmMore(Config& config, std::string programFolder, QWidget* owner);

private slots:
    void cmdSave_Click();

private:
    void CreateControls();
    void SetTip(const QString& text, const QColor& colour);

    Config& config_;
    const std::string programFolder_;

    chrome::Skin* skin1 = nullptr;
    chrome::TextBox* cJobs = nullptr;
    chrome::TextBox* cSecret = nullptr;
    QCheckBox* cSkipSaved = nullptr;
    QCheckBox* cWriteTags = nullptr;
    chrome::TextBox* cRetries = nullptr;
    chrome::TextBox* cSpeed = nullptr;
    widgets::SkinButton* cmdSave = nullptr;
    QLabel* LabTip = nullptr;
};

// Opens the more-settings window over `owner`, deleted when closed.
void ShowMoreSettings(QWidget* owner, Config& config, const std::string& programFolder);

}  // namespace tunewell::settings
