#pragma once
#include <QPointer>
#include <QWidget>
#include <functional>
#include <string>

#include "settings/config.h"

class QCheckBox;
class QCloseEvent;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tunewell::settings {

// The settings window: edits the save folder, the number of list pages, the
// site login and whether songs of a multi-song page are numbered. Saving
// writes those five keys to Config.ini in `programFolder`, reloads `config`
// and hides the window; saving and closing both show `mainWindow` again.
// The window does not own the main window or the settings; `config` must
// outlive it. The main window may go away first (it is then not shown).
class frmSeting : public QWidget {
    Q_OBJECT

public:
    // Returns the chosen folder, or an empty text when the user cancelled.
    using FolderChooser = std::function<std::string(QWidget* owner, const std::string& title)>;

    frmSeting(QWidget* mainWindow, Config& config, std::string programFolder,
              QWidget* parent = nullptr);

    QWidget* mainWindow() const { return mainWindow_; }
    const Config& config() const { return config_; }

    // Replaces the folder dialog that the browse button opens.
    void setFolderChooser(FolderChooser chooser);

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void cmdDir_Click();
    void cmdSave_Click();

private:
    void CreateControls();
    void SetTabOrder();
    void CentreOnScreen();
    void Form_Load();
    void SetTip(const QString& text);
    void SetTipColour(const QColor& colour);
    bool WriteSettings(const std::string& path, const std::string& page);
    void ShowMainWindow();

    QPointer<QWidget> mainWindow_;
    Config& config_;
    const std::string programFolder_;
    FolderChooser chooseFolder_;

    QLineEdit* cPath = nullptr;
    QLineEdit* cPage = nullptr;
    QLineEdit* cName = nullptr;
    QLineEdit* cPass = nullptr;
    QCheckBox* cID = nullptr;
    QPushButton* cmdDir = nullptr;
    QPushButton* cmdSave = nullptr;
    QLabel* LabTip = nullptr;
};

}  // namespace tunewell::settings
