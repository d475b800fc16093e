// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <string>

#include "settings/config.h"

class QCheckBox;
class QCloseEvent;
class QLabel;

namespace tunewell::chrome {
class Skin;
class TextBox;
}  // namespace tunewell::chrome

namespace tunewell::widgets {
class SkinButton;
}

namespace tunewell::settings {

// The settings window: edits the save folder, the number of list pages, the
// site login and whether songs of a multi-song page are numbered. It shows
// what Config.ini holds when it opens (the main window's list button may
// have stored a folder since the settings were loaded); shown again after
// a save, it keeps what was typed except where the file changed meanwhile.
// Saving writes those five keys to Config.ini in `programFolder`, reloads
// `config` and hides the window; saving and closing both show `mainWindow`
// again. Its "更多设置" button opens the more-settings window (frmMore).
// The window does not own the main window or the settings; `config` must
// outlive it. The main window may go away first (it is then not shown).
// Its frame is the skinned frame `skin1` (caption, minimise and close);
// closing through the frame closes the window like any other close.
// It has no taskbar button of its own, so minimising it sends it to the
// tray, where a click on the icon brings it back; a desktop without a tray
// gets it as an ordinary window with a taskbar button instead, so it can
// always be found again (the main window is hidden meanwhile).
class frmSeting : public QWidget {
    Q_OBJECT

public:
    // Returns the chosen folder, or an empty text when the user cancelled;
    // the dialog starts at `start` (empty: the user's home).
    using FolderChooser =
        std::function<std::string(QWidget* owner, const std::string& title, const std::string& start)>;

    frmSeting(QWidget* mainWindow, Config& config, std::string programFolder,
              QWidget* parent = nullptr);

    QWidget* mainWindow() const { return mainWindow_; }
    const Config& config() const { return config_; }

    // Replaces the folder dialog that the browse button opens.
    void setFolderChooser(FolderChooser chooser);

    // Whether the desktop shows tray icons; tests replace it.
    std::function<bool()> trayAvailable;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;

private slots:
    void cmdDir_Click();
    void cmdSave_Click();
    void cmdMore_Click();

private:
    void CreateControls();
    void SetTabOrder();
    void CentreOnScreen();
    void Form_Load();
    // The fields' texts, in the order path, page, name, password, number.
    using FieldTexts = std::array<QString, 5>;
    static FieldTexts TextsOf(const Config& config);
    FieldTexts FieldTextsNow() const;
    void SetFieldText(std::size_t field, const QString& text);
    // Takes in what changed in Config.ini since the fields were filled,
    // leaving alone a field the user has edited.
    void TakeInFileChanges();
    void SetTip(const QString& text);
    void SetTipColour(const QColor& colour);
    bool WriteSettings(const std::string& path, const std::string& page);
    void ShowMainWindow();
    void Minimised();

    QPointer<QWidget> mainWindow_;
    Config& config_;
    const std::string programFolder_;
    FolderChooser chooseFolder_;
    // What the fields showed when filled or saved, as Config.ini held it.
    FieldTexts filled_;

    chrome::Skin* skin1 = nullptr;
    chrome::TextBox* cPath = nullptr;
    chrome::TextBox* cPage = nullptr;
    chrome::TextBox* cName = nullptr;
    chrome::TextBox* cPass = nullptr;
    QCheckBox* cID = nullptr;
    widgets::SkinButton* cmdDir = nullptr;
    widgets::SkinButton* cmdSave = nullptr;
    widgets::SkinButton* cmdMore = nullptr;
    QLabel* LabTip = nullptr;
};

}  // namespace tunewell::settings
