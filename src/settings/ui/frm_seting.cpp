// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ui/frm_seting.h"
#include "settings/ui/form_controls.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QShortcut>
#include <QShowEvent>
#include <QSystemTrayIcon>
#include <QTimer>
#include <iterator>
#include <utility>

#include "chrome/skin.h"
#include "settings/program_places.h"
#include "settings/ui/frm_more.h"
#include "chrome/text_box.h"
#include "widgets/message_dialog.h"
#include "widgets/shell_functions.h"
#include "widgets/skin_button.h"
#include "widgets/window_place.h"
#include "text/text_utils.h"

namespace tunewell::settings {
namespace {

constexpr int kClientWidth = 368;
constexpr int kClientHeight = 211;
const QColor kTipRed(0xFF, 0x00, 0x00);
const QColor kTipGreen(0x00, 0x80, 0x00);
const QColor kCheckBackground(0xF4, 0xF4, 0xF4);

// The status line sits in the strip along the bottom of the frame, below
// the save button, where the frame leaves it readable.
const QRect kTipPlace(16, 189, 0, 13);

using form::Put;
using form::PutLabel;
using form::Utf8;

std::string ChooseFolderWithDialog(QWidget* owner, const std::string& title, const std::string& start) {
    return widgets::BrowseForFolder(owner, title,
                                  widgets::kBrowseFileSystemOnly | widgets::kBrowseNewDialogStyle, start);
}

std::string TextOf(const chrome::TextBox* box) { return box->Text().toStdString(); }

}  // namespace

frmSeting::frmSeting(QWidget* mainWindow, Config& config, std::string programFolder,
                     QWidget* parent)
    // A tool window: it has no button of its own in the taskbar.
    : QWidget(parent, Qt::Tool | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      mainWindow_(mainWindow),
      config_(config),
      programFolder_(std::move(programFolder)),
      chooseFolder_(ChooseFolderWithDialog) {
    trayAvailable = QSystemTrayIcon::isSystemTrayAvailable;
    setObjectName(QStringLiteral("frmSeting"));
    // Esc leaves the window as its close button does.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);
    setWindowTitle(Utf8("Tunewell音乐下载设置"));
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSizeF(8.25);
    setFont(font);
    setFixedSize(kClientWidth, kClientHeight);
    CreateControls();
    SetTabOrder();
    CentreOnScreen();
    new widgets::WindowPlace(this);
    Form_Load();
}

void frmSeting::setFolderChooser(FolderChooser chooser) {
    chooseFolder_ = chooser ? std::move(chooser) : FolderChooser(ChooseFolderWithDialog);
}

void frmSeting::CreateControls() {
    // The frame first: it lies behind every control of the window. It has
    // minimise and close buttons (the window has no maximise button).
    skin1 = new chrome::Skin(this);
    skin1->setObjectName(QStringLiteral("skin1"));
    PutLabel(this, "lblLabel1", "音乐保存地址：", {16, 40, 84, 13});
    cPath = Put(new chrome::TextBox(this), "cPath", {104, 40, 193, 21});
    cmdDir = Put(new widgets::SkinButton(Utf8("浏览"), this), "cmdDir", {304, 40, 49, 22});
    PutLabel(this, "lblLabel3", "获取音乐页数：", {16, 69, 84, 13});
    cPage = Put(new chrome::TextBox(this), "cPage", {104, 67, 33, 21});
    PutLabel(this, "lblLabel4", "TW登陆用户：", {24, 96, 72, 13});
    cName = Put(new chrome::TextBox(this), "cName", {104, 94, 153, 21});
    PutLabel(this, "lblLabel5", "TW登陆密码：", {24, 123, 72, 13});
    cPass = Put(new chrome::TextBox(this), "cPass", {104, 121, 153, 21});
    cPass->Field()->setEchoMode(QLineEdit::Normal);  // the password is shown as typed
    PutLabel(this, "lblLabel2", "自动添加编号：", {16, 152, 84, 13});
    cID = Put(new QCheckBox(this), "cID", {104, 152, 17, 17});
    QPalette checkPalette = cID->palette();
    checkPalette.setColor(QPalette::Window, kCheckBackground);
    cID->setPalette(checkPalette);
    cID->setAutoFillBackground(true);
    cmdSave = Put(new widgets::SkinButton(Utf8("保存设置"), this), "cmdSave", {272, 152, 81, 24});
    cmdMore = Put(new widgets::SkinButton(Utf8("更多设置"), this), "cmdMore", {184, 152, 81, 24});
    LabTip = Put(new QLabel(this), "LabTip", kTipPlace);
    LabTip->setTextFormat(Qt::PlainText);
    SetTipColour(kTipRed);

    connect(cmdDir, &widgets::SkinButton::clicked, this, &frmSeting::cmdDir_Click);
    connect(cmdSave, &widgets::SkinButton::clicked, this, &frmSeting::cmdSave_Click);
    connect(cmdMore, &widgets::SkinButton::clicked, this, &frmSeting::cmdMore_Click);
}

void frmSeting::SetTabOrder() {
    QWidget* const order[] = {cPath, cID, cPage, cName, cPass, cmdDir, cmdSave, cmdMore};
    for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
}

void frmSeting::CentreOnScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect area = screen->geometry();
    move(area.left() + (area.width() - kClientWidth) / 2,
         area.top() + (area.height() - kClientHeight) / 2);
}

// Fills the fields from what Config.ini holds now (the settings as last
// loaded when there is no file).
void frmSeting::Form_Load() {
    filled_ = TextsOf(CurrentConfig(config_, programFolder_));
    for (std::size_t field = 0; field < filled_.size(); ++field) SetFieldText(field, filled_[field]);
    SetTip(QString());
}

frmSeting::FieldTexts frmSeting::TextsOf(const Config& config) {
    return {QString::fromStdString(config.SavePath), QString::number(config.GetPage),
            QString::fromStdString(config.LoginName), QString::fromStdString(config.LoginPass),
            config.AddID == 1 ? QStringLiteral("1") : QStringLiteral("0")};
}

frmSeting::FieldTexts frmSeting::FieldTextsNow() const {
    return {cPath->Text(), cPage->Text(), cName->Text(), cPass->Text(),
            cID->isChecked() ? QStringLiteral("1") : QStringLiteral("0")};
}

void frmSeting::SetFieldText(std::size_t field, const QString& text) {
    chrome::TextBox* const boxes[] = {cPath, cPage, cName, cPass};
    if (field < std::size(boxes)) {
        boxes[field]->SetText(text);
    } else {
        cID->setChecked(text == QStringLiteral("1"));
    }
}

void frmSeting::TakeInFileChanges() {
    const FieldTexts now = TextsOf(CurrentConfig(config_, programFolder_));
    const FieldTexts shown = FieldTextsNow();
    for (std::size_t field = 0; field < now.size(); ++field) {
        if (now[field] != filled_[field] && shown[field] == filled_[field]) SetFieldText(field, now[field]);
    }
    filled_ = now;
}

void frmSeting::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) TakeInFileChanges();
}

// Picks the save folder, starting at the one in the field; a cancelled
// dialog leaves the field as it was.
void frmSeting::cmdDir_Click() {
    const std::string typed = TextOf(cPath);
    const std::string folder = chooseFolder_(this, "请选择保存文件夹", BrowseStartFolder(typed));
    if (!folder.empty()) cPath->SetText(QString::fromStdString(folder));
}

void frmSeting::cmdMore_Click() { ShowMoreSettings(this, config_, programFolder_); }

void frmSeting::cmdSave_Click() {
    const std::string path = TextOf(cPath);
    // A fraction keeps its fraction; text that is not a number becomes "0".
    const std::string page = text::ToNumber(TextOf(cPage)).ToText();
    if (path.empty()) {
        // In the colour the line has now: red at first, green after a save.
        SetTip(Utf8("请输入音乐保存地址！"));
        return;
    }
    if (!WriteSettings(path, page)) {
        SetTipColour(kTipRed);
        SetTip(Utf8("配置保存失败！"));
        widgets::ShowMessage(this, "配置保存失败，无法写入文件：" + ConfigPath(programFolder_));
        return;
    }
    SetTipColour(kTipGreen);
    SetTip(Utf8("配置保存成功！"));
    LoadConfig(config_, programFolder_);
    filled_ = TextsOf(config_);
    hide();
    ShowMainWindow();
}

// Writes the five keys in their fixed order; stops at the first failure.
bool frmSeting::WriteSettings(const std::string& path, const std::string& page) {
    return SaveSettingsFields(ConfigPath(programFolder_),
                              {path, page, TextOf(cName), TextOf(cPass), cID->isChecked()});
}

void frmSeting::closeEvent(QCloseEvent* event) {
    widgets::RemoveTrayIcon(this, 0);
    hide();
    ShowMainWindow();
    SetTip(QString());
    event->accept();
}

void frmSeting::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized()) {
        // After the state change has run its course.
        QTimer::singleShot(0, this, &frmSeting::Minimised);
    }
}

void frmSeting::Minimised() {
    if (!isMinimized()) return;
    if (trayAvailable && trayAvailable()) {
        hide();
        widgets::AddTrayIcon(this, windowTitle().toStdString(), 0);
    } else if (windowType() == Qt::Tool) {
        // Changing the type re-creates the window, which shows it anew.
        setWindowFlags((windowFlags() & ~Qt::WindowType_Mask) | Qt::Window);
        showMinimized();
    }
}

bool frmSeting::event(QEvent* event) {
    if (event->type() == widgets::TrayMessageEvent::EventType()) {
        if (static_cast<widgets::TrayMessageEvent*>(event)->Message() == widgets::kTrayLeftButtonDown) {
            widgets::RemoveTrayIcon(this, 0);
            showNormal();
            raise();
            activateWindow();
        }
        return true;
    }
    return QWidget::event(event);
}

void frmSeting::SetTip(const QString& text) {
    LabTip->setText(text);
    LabTip->adjustSize();  // the status line grows with its text
}

void frmSeting::SetTipColour(const QColor& colour) {
    QPalette palette = LabTip->palette();
    palette.setColor(QPalette::WindowText, colour);
    LabTip->setPalette(palette);
}

void frmSeting::ShowMainWindow() {
    if (mainWindow_) mainWindow_->show();
}

}  // namespace tunewell::settings
