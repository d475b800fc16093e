// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

#include "chrome/caption_button.h"
#include "chrome/skin.h"
#include "chrome/skin_paint.h"
#include "chrome/text_box.h"
#include "settings/ini_file.h"
#include "settings/ui/frm_more.h"
#include "settings/ui/frm_seting.h"
#include "widgets/message_dialog.h"
#include "widgets/shell_functions.h"
#include "settings/ui/settings_window_launcher.h"

namespace tunewell::settings {
namespace {

QString Q(const char* text) { return QString::fromUtf8(text); }

class SettingsWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        widgets::SetMessageHandler([this](QWidget*, const std::string& text) { messages.push_back(text); });
        mainWindow.show();
    }
    void TearDown() override { widgets::SetMessageHandler(nullptr); }

    template <typename T = QWidget>
    static T* Child(frmSeting& window, const char* name) { return window.findChild<T*>(Q(name)); }
    static chrome::TextBox* Box(frmSeting& window, const char* name) {
        return Child<chrome::TextBox>(window, name);
    }
    static QString Text(frmSeting& window, const char* name) { return Box(window, name)->Text(); }
    static QLabel* Tip(frmSeting& window) { return Child<QLabel>(window, "LabTip"); }
    static void Edit(frmSeting& window, const char* name, const char* text) {
        Box(window, name)->SetText(Q(text));
    }
    static void Save(frmSeting& window) { Child<QPushButton>(window, "cmdSave")->click(); }
    std::string folder() const { return dir.path().toStdString(); }
    std::string FileBytes() const {
        std::ostringstream bytes;
        bytes << std::ifstream(ConfigPath(folder()), std::ios::binary).rdbuf();
        return bytes.str();
    }

    QTemporaryDir dir;
    QWidget mainWindow;
    Config config{"http://list", "/songs", 3, "阿明", "p&ss", 1, ""};
    std::vector<std::string> messages;
};

TEST_F(SettingsWindowTest, LaysOutCaptionControlsAndTabOrder) {
    frmSeting window(&mainWindow, config, folder());
    EXPECT_EQ(window.windowTitle(), Q("Tunewell音乐下载设置"));
    EXPECT_EQ(window.size(), QSize(368, 211));
    EXPECT_EQ(window.geometry().center(), QGuiApplication::primaryScreen()->geometry().center());
    const std::pair<const char*, QRect> places[] = {
        {"cPath", {104, 40, 193, 21}}, {"cmdDir", {304, 40, 49, 22}},   {"cPage", {104, 67, 33, 21}},
        {"lblLabel4", {24, 96, 72, 13}}, {"cID", {104, 152, 17, 17}}, {"cmdSave", {272, 152, 81, 24}}};
    for (const auto& [name, rect] : places) EXPECT_EQ(Child(window, name)->geometry(), rect) << name;
    for (const char* field : {"cPath", "cPage", "cName", "cPass"}) ASSERT_NE(Box(window, field), nullptr) << field;
    EXPECT_EQ(Box(window, "cPass")->Field()->echoMode(), QLineEdit::Normal);

    // The fields take the focus in their inner edit fields; name those
    // after the framed box that holds them.
    std::vector<QString> order;
    int steps = 0;
    for (QWidget* w = Box(window, "cPath")->Field(); order.size() < 7 && ++steps < 200;
         w = w->nextInFocusChain()) {
        if (!(w->focusPolicy() & Qt::TabFocus) || w->focusProxy() != nullptr) continue;
        auto* box = qobject_cast<chrome::TextBox*>(w->parentWidget());
        order.push_back(box != nullptr ? box->objectName() : w->objectName());
    }
    EXPECT_EQ(order, (std::vector<QString>{"cPath", "cID", "cPage", "cName", "cPass", "cmdDir", "cmdSave"}));
}

TEST_F(SettingsWindowTest, FrameShowsCaptionWithMinimiseAndCloseOnly) {
    frmSeting window(&mainWindow, config, folder());
    window.show();
    auto* skin = Child<chrome::Skin>(window, "skin1");
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(skin->geometry(), window.rect());
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(window.windowType(), Qt::Tool);  // no button of its own in the taskbar
    EXPECT_TRUE(skin->CloseButton()->isVisible());
    EXPECT_TRUE(skin->MinButton()->isVisible());
    EXPECT_FALSE(skin->MaxButton()->isVisible());
    // The minimise button stands directly left of the close button.
    EXPECT_EQ(skin->MinButton()->geometry().right() + 1, skin->CloseButton()->geometry().left());
    // Every control lies below the title bar, inside the side borders.
    for (QWidget* child : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child == skin || child->objectName() == "LabTip") continue;
        EXPECT_GE(child->y(), 27) << child->objectName().toStdString();
        EXPECT_LE(child->geometry().right(), window.width() - 5) << child->objectName().toStdString();
    }
}

// What a button shows, inside its rounded outline.
QImage Face(QWidget* button) {
    return button->grab().toImage().convertToFormat(QImage::Format_RGB32).copy(button->rect().adjusted(3, 3, -3, -3));
}

QImage ReferenceFace(QWidget* button, chrome::SkinButtonState state) {
    QPixmap pixmap(button->size());
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    painter.setFont(button->font());
    chrome::PaintSkinButton(painter, button->rect(), Q("保存设置"), state);
    painter.end();
    return pixmap.toImage().convertToFormat(QImage::Format_RGB32).copy(button->rect().adjusted(3, 3, -3, -3));
}

TEST_F(SettingsWindowTest, ButtonsWearTheFrameLookInEveryState) {
    frmSeting window(&mainWindow, config, folder());
    window.show();
    auto* save = Child<QPushButton>(window, "cmdSave");
    EXPECT_EQ(Face(save), ReferenceFace(save, chrome::SkinButtonState::Normal));
    save->setDown(true);
    EXPECT_EQ(Face(save), ReferenceFace(save, chrome::SkinButtonState::Pressed));
    save->setDown(false);
    save->setEnabled(false);
    EXPECT_EQ(Face(save), ReferenceFace(save, chrome::SkinButtonState::Disabled));
    EXPECT_NE(Face(save), ReferenceFace(save, chrome::SkinButtonState::Normal));
}

TEST_F(SettingsWindowTest, FrameCloseButtonBringsBackTheMainWindowWithoutSaving) {
    frmSeting window(&mainWindow, config, folder());
    window.show();
    mainWindow.hide();
    Edit(window, "cPath", "");
    Save(window);  // refused: the status shows
    ASSERT_FALSE(Tip(window)->text().isEmpty());
    Edit(window, "cPath", "/typed");
    auto* skin = Child<chrome::Skin>(window, "skin1");
    ASSERT_NE(skin, nullptr);
    const QPoint centre = skin->CloseButton()->rect().center();
    QTest::mousePress(skin->CloseButton(), Qt::LeftButton, {}, centre);
    QTest::mouseRelease(skin->CloseButton(), Qt::LeftButton, {}, centre);
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(mainWindow.isVisible());
    EXPECT_TRUE(Tip(window)->text().isEmpty());
    EXPECT_EQ(config.SavePath, "/songs");
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(ConfigPath(folder()))));
}

TEST_F(SettingsWindowTest, LoadShowsTheCurrentSettings) {
    frmSeting window(&mainWindow, config, folder());
    EXPECT_EQ(Text(window, "cPath"), Q("/songs"));
    EXPECT_EQ(Text(window, "cPage"), Q("3"));
    EXPECT_EQ(Text(window, "cName"), Q("阿明"));
    EXPECT_EQ(Text(window, "cPass"), Q("p&ss"));
    EXPECT_TRUE(Child<QCheckBox>(window, "cID")->isChecked());
    EXPECT_TRUE(Tip(window)->text().isEmpty());
}

TEST_F(SettingsWindowTest, SaveWritesGbkKeysInOrderReloadsAndHides) {
    frmSeting window(&mainWindow, config, folder());
    window.show();
    mainWindow.hide();
    Edit(window, "cPath", "/音乐");
    Edit(window, "cPage", "2.5");
    Child<QCheckBox>(window, "cID")->setChecked(false);
    Save(window);
    // GBK: 音乐 is D2F4 C0D6, 阿明 is B0A2 C3F7.
    EXPECT_EQ(FileBytes(), "[Config]\r\nSavePath=/\xD2\xF4\xC0\xD6\r\nGetPage=2.5\r\n"
                           "LoginName=\xB0\xA2\xC3\xF7\r\nLoginPass=p&ss\r\nAddID=0\r\n");
    EXPECT_EQ(config.SavePath, "/音乐");
    EXPECT_EQ(config.GetPage, 2);
    EXPECT_EQ(config.AddID, 0);
    EXPECT_EQ(config.ListUrl, "");  // every global is reloaded, also the one not edited here
    EXPECT_EQ(Tip(window)->text(), Q("配置保存成功！"));
    EXPECT_EQ(Tip(window)->palette().color(QPalette::WindowText), QColor(0, 0x80, 0));
    EXPECT_LE(Tip(window)->geometry().bottom(), 211 - 5);  // above the frame's bottom border
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(mainWindow.isVisible());

    // Text that is not a number is saved as 0, which loads as one page.
    Edit(window, "cPage", "abc");
    Save(window);
    EXPECT_NE(FileBytes().find("GetPage=0\r\n"), std::string::npos);
    EXPECT_EQ(config.GetPage, 1);
}

// The refusal keeps the line's colour of the moment: red before any save,
// still green after one while the window stays loaded.
TEST_F(SettingsWindowTest, EmptyFolderIsRefusedInTheColourTheLineHasNow) {
    frmSeting window(&mainWindow, config, folder());
    window.show();
    Edit(window, "cPath", "");
    Save(window);
    EXPECT_EQ(Tip(window)->text(), Q("请输入音乐保存地址！"));
    EXPECT_EQ(Tip(window)->palette().color(QPalette::WindowText), QColor(0xFF, 0, 0));

    Edit(window, "cPath", "/songs");
    Save(window);
    std::remove(ConfigPath(folder()).c_str());
    window.show();
    Edit(window, "cPath", "");
    Save(window);
    EXPECT_EQ(Tip(window)->text(), Q("请输入音乐保存地址！"));
    EXPECT_EQ(Tip(window)->palette().color(QPalette::WindowText), QColor(0x00, 0x80, 0x00));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(FileBytes(), "");
}

TEST_F(SettingsWindowTest, FailedWriteIsReportedAndTheWindowStays) {
    const std::string missing = folder() + "/missing";
    frmSeting window(&mainWindow, config, missing);
    window.show();
    Save(window);
    EXPECT_EQ(messages, std::vector<std::string>{"配置保存失败，无法写入文件：" + ConfigPath(missing)});
    EXPECT_EQ(Tip(window)->text(), Q("配置保存失败！"));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(config.SavePath, "/songs");
}

TEST_F(SettingsWindowTest, EscLeavesTheWindowAsItsCloseButtonDoes) {
    frmSeting window(&mainWindow, config, folder());
    mainWindow.hide();
    window.show();
    QApplication::setActiveWindow(&window);
    Box(window, "cPath")->Field()->setFocus();
    QTest::keyClick(Box(window, "cPath")->Field(), Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(mainWindow.isVisible());
}

// The dialog starts at the field's folder, or the nearest one above it
// that exists; Cancel keeps what the field held.
TEST_F(SettingsWindowTest, BrowseStartsAtTheFieldsFolderAndCancelKeepsIt) {
    frmSeting window(&mainWindow, config, folder());
    std::string answer;
    std::vector<std::string> starts;
    window.setFolderChooser([&](QWidget*, const std::string& title, const std::string& start) {
        EXPECT_EQ(title, "请选择保存文件夹");
        starts.push_back(start);
        return answer;
    });
    QDir(dir.path()).mkpath(QStringLiteral("sub"));
    const QString typed = dir.path() + QStringLiteral("/sub/not yet");
    Box(window, "cPath")->SetText(typed);
    Child<QPushButton>(window, "cmdDir")->click();
    EXPECT_EQ(Text(window, "cPath"), typed);
    answer = "/chosen";
    Child<QPushButton>(window, "cmdDir")->click();
    EXPECT_EQ(Text(window, "cPath"), Q("/chosen"));
    const std::string sub = folder() + "/sub";
    EXPECT_EQ(starts, (std::vector<std::string>{sub, sub}));
}

// The main window's list button stores the folder behind the settings'
// back: the window shows what Config.ini holds and so never writes back
// the folder the program loaded at start.
TEST_F(SettingsWindowTest, ShowsWhatConfigIniHoldsAndNeverWritesBackAnOldFolder) {
    ASSERT_TRUE(SaveListFields(ConfigPath(folder()), "http://list", "/newer"));
    frmSeting window(&mainWindow, config, folder());
    window.show();
    EXPECT_EQ(Text(window, "cPath"), Q("/newer"));
    Edit(window, "cPage", "5");
    Save(window);
    EXPECT_NE(FileBytes().find("SavePath=/newer\r\n"), std::string::npos) << FileBytes();
    EXPECT_EQ(config.SavePath, "/newer");

    // Shown again after a save: what changed in the file comes in, what
    // the user typed stays.
    Edit(window, "cName", "typed");
    ASSERT_TRUE(SaveListFields(ConfigPath(folder()), "http://list", "/newest"));
    ASSERT_NE(WriteIni("Config", "LoginName", "other writer", ConfigPath(folder())), 0);
    window.show();
    EXPECT_EQ(Text(window, "cPath"), Q("/newest"));
    EXPECT_EQ(Text(window, "cName"), Q("typed"));
    EXPECT_EQ(Text(window, "cPage"), Q("5"));
}

// "更多设置" holds the settings that were only ever set by hand: the songs
// at a time and aria2's secret.
TEST_F(SettingsWindowTest, MoreSettingsSetJobsAndTheAria2Secret) {
    ASSERT_NE(WriteIni("Config", "Jobs", "3", ConfigPath(folder())), 0);
    ASSERT_NE(WriteIni("Config", "Aria2Secret", "old", ConfigPath(folder())), 0);
    frmSeting window(&mainWindow, config, folder());
    window.show();
    Child<QPushButton>(window, "cmdMore")->click();
    auto* more = window.findChild<frmMore*>();
    ASSERT_NE(more, nullptr);
    EXPECT_TRUE(more->isVisible());
    EXPECT_EQ(more->windowTitle(), Q("更多设置"));
    EXPECT_TRUE(more->windowFlags().testFlag(Qt::FramelessWindowHint));
    auto* skin = more->findChild<chrome::Skin*>(QStringLiteral("skin1"));
    ASSERT_NE(skin, nullptr);
    EXPECT_TRUE(skin->CloseButton()->isVisible());
    EXPECT_FALSE(skin->MinButton()->isVisible());
    auto* jobs = more->findChild<chrome::TextBox*>(QStringLiteral("cJobs"));
    auto* secret = more->findChild<chrome::TextBox*>(QStringLiteral("cSecret"));
    ASSERT_TRUE(jobs && secret);
    EXPECT_EQ(jobs->Text(), Q("3"));
    EXPECT_EQ(secret->Text(), Q("old"));

    const std::string before = FileBytes();
    for (const char* bad : {"9", "0", "2.5", "abc", ""}) {
        jobs->SetText(Q(bad));
        more->findChild<QPushButton*>(QStringLiteral("cmdSave"))->click();
        EXPECT_EQ(more->findChild<QLabel*>(QStringLiteral("LabTip"))->text(), Q("同时下载歌曲数应为 1 到 8 的整数！")) << bad;
        EXPECT_TRUE(more->isVisible()) << bad;
    }
    EXPECT_EQ(FileBytes(), before);

    QPointer<frmMore> open = more;
    jobs->SetText(Q("4"));
    secret->SetText(Q("s3 cret"));
    more->findChild<QPushButton*>(QStringLiteral("cmdSave"))->click();
    EXPECT_NE(FileBytes().find("Jobs=4\r\nAria2Secret=s3 cret\r\n"), std::string::npos) << FileBytes();
    EXPECT_EQ(config.Jobs, 4);
    EXPECT_EQ(config.Aria2Secret, "s3 cret");
    EXPECT_EQ(config.SavePath, "/songs");  // nothing else is reloaded
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(open.isNull());
}

// The skip and tags boxes show SkipSaved and WriteTags and store them, for
// the next run too.
TEST_F(SettingsWindowTest, MoreSettingsKeepTheSkipSavedAndTagsBoxes) {
    ASSERT_NE(WriteIni("Config", "SkipSaved", "1", ConfigPath(folder())), 0);
    frmSeting window(&mainWindow, config, folder());
    window.show();
    Child<QPushButton>(window, "cmdMore")->click();
    auto* more = window.findChild<frmMore*>();
    ASSERT_NE(more, nullptr);
    auto* skip = more->findChild<QCheckBox*>(QStringLiteral("cSkipSaved"));
    ASSERT_NE(skip, nullptr);
    EXPECT_EQ(skip->text(), Q("跳过已下载的歌曲"));
    EXPECT_TRUE(skip->isChecked());
    auto* tags = more->findChild<QCheckBox*>(QStringLiteral("cWriteTags"));
    ASSERT_NE(tags, nullptr);
    EXPECT_EQ(tags->text(), Q("写入歌曲标签(ID3)"));
    EXPECT_FALSE(tags->isChecked());
    EXPECT_TRUE(more->rect().contains(tags->geometry()));
    skip->setChecked(false);
    tags->setChecked(true);
    more->findChild<QPushButton*>(QStringLiteral("cmdSave"))->click();
    EXPECT_NE(FileBytes().find("SkipSaved=0\r\n"), std::string::npos) << FileBytes();
    EXPECT_NE(FileBytes().find("WriteTags=1\r\n"), std::string::npos) << FileBytes();
    EXPECT_EQ(config.SkipSaved, 0);
    EXPECT_EQ(config.WriteTags, 1);
}

// The retries and the speed limit: bad numbers refused in red with nothing
// written, good ones stored and taken by the next run.
TEST_F(SettingsWindowTest, MoreSettingsSetRetriesAndTheSpeedLimit) {
    ASSERT_NE(WriteIni("Config", "Retries", "2", ConfigPath(folder())), 0);
    frmSeting window(&mainWindow, config, folder());
    window.show();
    Child<QPushButton>(window, "cmdMore")->click();
    auto* more = window.findChild<frmMore*>();
    ASSERT_NE(more, nullptr);
    auto* retries = more->findChild<chrome::TextBox*>(QStringLiteral("cRetries"));
    auto* speed = more->findChild<chrome::TextBox*>(QStringLiteral("cSpeed"));
    ASSERT_TRUE(retries && speed);
    EXPECT_EQ(retries->Text(), Q("2"));
    EXPECT_EQ(speed->Text(), Q("0"));
    auto* save = more->findChild<QPushButton*>(QStringLiteral("cmdSave"));
    auto* tip = more->findChild<QLabel*>(QStringLiteral("LabTip"));
    const std::string before = FileBytes();
    for (const char* bad : {"11", "-1", "1.5", "x", ""}) {
        retries->SetText(Q(bad));
        save->click();
        EXPECT_EQ(tip->text(), Q("重试次数应为 0 到 10 的整数！")) << bad;
    }
    retries->SetText(Q("3"));
    for (const char* bad : {"-1", "2.5", "fast", "", "10000001"}) {
        speed->SetText(Q(bad));
        save->click();
        EXPECT_EQ(tip->text(), Q("限速应为不小于 0 的整数（KB/s）！")) << bad;
    }
    EXPECT_EQ(FileBytes(), before);
    EXPECT_TRUE(more->isVisible());
    speed->SetText(Q("500"));
    save->click();
    EXPECT_NE(FileBytes().find("Retries=3\r\n"), std::string::npos) << FileBytes();
    EXPECT_NE(FileBytes().find("SpeedLimit=500\r\n"), std::string::npos) << FileBytes();
    EXPECT_EQ(config.Retries, 3);
    EXPECT_EQ(config.SpeedLimit, 500);
}

// No taskbar button: minimised, the window goes to the tray and its icon
// brings it back; without a tray it becomes a window the taskbar shows.
TEST_F(SettingsWindowTest, MinimisingGoesToTheTrayOrWithoutOneToTheTaskbar) {
    for (const bool tray : {true, false}) {
        frmSeting window(&mainWindow, config, folder());
        window.trayAvailable = [tray] { return tray; };
        window.show();
        ASSERT_EQ(window.windowType(), Qt::Tool);
        window.showMinimized();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        if (tray) {
            EXPECT_FALSE(window.isVisible());
            EXPECT_TRUE(widgets::HasTrayIcon(&window, 0));
            QCoreApplication::postEvent(&window, new widgets::TrayMessageEvent(widgets::kTrayLeftButtonDown));
            QCoreApplication::processEvents();
            EXPECT_TRUE(window.isVisible());
            EXPECT_FALSE(window.isMinimized());
            EXPECT_FALSE(widgets::HasTrayIcon(&window, 0));
        } else {
            EXPECT_EQ(window.windowType(), Qt::Window);
            EXPECT_TRUE(window.isVisible());
            EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
        }
    }
}

frmSeting* VisibleSettingsWindow() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<frmSeting*>(w); window && window->isVisible()) return window;
    }
    return nullptr;
}

TEST_F(SettingsWindowTest, LauncherReshowsASavedWindowAndReloadsAClosedOne) {
    shell::ShowSettingsWindow(&mainWindow, config, folder());
    frmSeting* window = VisibleSettingsWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(mainWindow.isVisible());
    Save(*window);
    shell::ShowSettingsWindow(&mainWindow, config, folder());
    ASSERT_EQ(VisibleSettingsWindow(), window);  // kept after a save, status and all
    EXPECT_EQ(Tip(*window)->text(), Q("配置保存成功！"));

    // Closed, the window loses what was typed; reopened it shows the file.
    Edit(*window, "cName", "typed, not saved");
    ASSERT_NE(WriteIni("Config", "LoginName", "from the file", ConfigPath(folder())), 0);
    window->close();
    EXPECT_TRUE(mainWindow.isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    shell::ShowSettingsWindow(&mainWindow, config, folder());
    frmSeting* reopened = VisibleSettingsWindow();
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(Text(*reopened, "cName"), Q("from the file"));
    reopened->close();
}

}  // namespace
}  // namespace tunewell::settings
