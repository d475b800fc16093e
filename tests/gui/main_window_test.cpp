// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCheckBox>
#include <QLabel>
#include <QMenu>

#include <fstream>

#include <QLineEdit>

#include "platform/user_folders.h"
#include "chrome/frame_layout.h"
#include "chrome/text_box.h"
#include "demo_site/gif_image.h"
#include "main_window_fixture.h"
#include "settings/config.h"
#include "shell/frm_menu.h"
#include "widgets/progress_bar_widget.h"
#include "widgets/shell_functions.h"
#include "widgets/skin_button.h"
#include "shell/song_list_model.h"
#include "shell/song_list_view.h"
#include "widgets/uc_ani_gif.h"
#include "widgets/window_place.h"
#include "hosts/site_hosts.h"
#include "support/site_urls.h"

namespace tunewell::testing {
namespace {

using shell::frmMain;

TEST_F(MainWindowTest, ClientAreaAndControlsSitAtTheirTwipsPositions) {
    frmMain& window = Window();
    EXPECT_EQ(window.size(), QSize(394, 577));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Tunewell音乐下载助手"));
    struct Expected {
        QWidget* control;
        QRect pixels;
        QString text;
    };
    const Expected table[] = {
        {window.cmdSel, {144, 48, 73, 33}, QStringLiteral("示例")},
        {window.cmdHelp, {304, 48, 73, 33}, QStringLiteral("帮助")},
        {window.ListUrl, {80, 112, 297, 21}, {}},
        {window.SavePath, {80, 139, 161, 21}, {}},
        {window.cmdList, {296, 139, 81, 22}, QStringLiteral("获取歌曲列表")},
        {window.ListMusic, {17, 174, 361, 243}, {}},
        {window.cmdDown, {312, 428, 65, 23}, QStringLiteral("开始下载")},
        {window.IsXun, {160, 432, 73, 17}, QStringLiteral("使用迅雷")},
        {window.PB, {16, 462, 363, 17}, {}},
        {window.ucAniGIF1, {16, 487, 361, 57}, {}},
    };
    for (const Expected& row : table) {
        EXPECT_EQ(row.control->geometry(), row.pixels) << row.text.toStdString();
        if (auto* button = qobject_cast<QAbstractButton*>(row.control)) {
            EXPECT_EQ(button->text(), row.text);
        }
    }
    EXPECT_EQ(window.LabTip->pos(), QPoint(24, 556));
}

TEST_F(MainWindowTest, FieldsWriteInTheProgramFontBesideTheirCaptionsAndVersionClearsTheGrip) {
    frmMain& window = LoadedWindow();
    const std::pair<QLabel*, chrome::TextBox*> fields[] = {{window.Label1, window.ListUrl},
                                                           {window.lblLabel2, window.SavePath}};
    for (const auto& [label, box] : fields) {
        QLineEdit* field = box->Field();
        EXPECT_EQ(field->font(), window.font());
        EXPECT_EQ(label->font(), field->font());
        const QRect text = QRect(field->mapTo(&window, QPoint(0, 0)), field->size());
        EXPECT_EQ(label->geometry().center().y(), text.center().y()) << label->text().toStdString();
    }
    const QRect version = window.LabVer->geometry();
    const int textWidth = window.LabVer->fontMetrics().horizontalAdvance(window.LabVer->text());
    EXPECT_TRUE(window.LabVer->alignment() & Qt::AlignRight);
    EXPECT_LE(textWidth, version.width());
    EXPECT_LT(version.right(), chrome::GripRect(window.size()).left());
    EXPECT_GT(version.left(), window.LabTip->geometry().right());
    EXPECT_EQ(window.PB->Text(), QStringLiteral("下载进度0%"));
    EXPECT_EQ(window.cmdDown->Tag(), QStringLiteral("0"));
}

TEST_F(MainWindowTest, FirstStartShowsTheMusicIndexTheProgramFolderAndTheVersion) {
    frmMain& window = LoadedWindow();
    EXPECT_EQ(window.ListUrl->Text(), QString::fromStdString(MusicUrl("/music/")));
    EXPECT_EQ(window.SavePath->Text().toStdString(), Folder());
    EXPECT_EQ(window.LabVer->text(), QStringLiteral("Ver2.5"));
    EXPECT_EQ(window.LabTip->text(), QStringLiteral("Tunewell音乐下载助手"));
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.ucAniGIF1->HasPicture());  // no advertisement address yet
    EXPECT_EQ(window.Songs().columnCount(), 0);     // no columns before a list
}

TEST_F(MainWindowTest, StartUpVersionCheckShowsTheResultAndOpensTheUpdater) {
    versionReply = "{TunewellVerSion}2.5{/TunewellVerSion}{TunewellAD}" + VersionUrl("/ad.gif") + "||go{/TunewellAD}";
    frmMain& current = LoadedWindow();
    ASSERT_EQ(versionRequests.size(), 1u);
    EXPECT_EQ(versionRequests[0].rfind(VersionUrl("/tunewell.asp?SN=SERIAL-1&Rand="), 0), 0u);
    EXPECT_EQ(current.LabTip->text(), QStringLiteral("您使用的是最新版本"));
    EXPECT_EQ(current.Globals().AdPic, VersionUrl("/ad.gif"));
    EXPECT_TRUE(current.isVisible());
    current.ucAniGIF1_Click();
    EXPECT_EQ(openedUrls.back(), VersionUrl("/tunewell.asp?ReUrl=go"));

    versionReply = "{TunewellVerSion}2.6{/TunewellVerSion}";
    frmMain& outdated = LoadedWindow();
    EXPECT_EQ(outdated.LabTip->text(), QStringLiteral("发现新的版本Ver2.6"));
    EXPECT_EQ(updaterOpened, 1);
    EXPECT_FALSE(outdated.isVisible());
}

TEST_F(MainWindowTest, StartUpFillsTheFieldsFromConfigIni) {
    {
        // Binary: a text-mode stream on Windows would write "\r\r\n".
        std::ofstream ini(settings::ConfigPath(Folder()), std::ios::binary);
        ini << "[Config]\r\nListUrl=" << MusicUrl("/music/chart") << "\r\nSavePath=/srv/songs\r\n";
    }
    frmMain& window = LoadedWindow();
    EXPECT_EQ(window.ListUrl->Text(), QString::fromStdString(MusicUrl("/music/chart")));
    EXPECT_EQ(window.SavePath->Text(), QStringLiteral("/srv/songs"));
    EXPECT_EQ(window.Settings().SavePath, "/srv/songs");
}

TEST_F(MainWindowTest, OutsideButtonsOpenAddressesFoldersAndTheSettingsWindow) {
    frmMain& window = LoadedWindow();
    window.SavePath->SetText(QStringLiteral("/no/such/folder"));
    window.cmdHelp->click();
    window.cmdOpen->click();
    window.ucAniGIF1_Click();  // no link yet: the address ends at "="
    window.Globals().AdLink = "http://example.org/a?b=1";
    window.ucAniGIF1_Click();
    const std::string server = hosts::kVersionServer;
    EXPECT_EQ(openedUrls, (std::vector<std::string>{server + "/log/tunewell/",
                                                    server + "/tunewell.asp?ReUrl=",
                                                    server + "/tunewell.asp?ReUrl=http://example.org/a?b=1"}));
    EXPECT_EQ(openedFolders, std::vector<std::string>{"/no/such/folder"});
    window.move(120, 60);
    window.cmdCon->click();
    EXPECT_EQ(settingsShown, 1);
    EXPECT_FALSE(window.isVisible());
    window.move(0, 0);  // as a window manager would place it on mapping
    window.show();      // the settings window closing
    EXPECT_EQ(window.pos(), QPoint(120, 60));
}

// Closing keeps the window's place in Config.ini beside the other keys;
// the next start opens there while that is on a screen, and where it
// always did when not (a monitor since removed) or when the keys are damaged.
TEST_F(MainWindowTest, ThePlaceIsKeptAcrossStartsWhileOnAScreen) {
    const std::string config = settings::ConfigPath(Folder());
    WriteBytes(config, "[Config]\r\nListUrl=http://a/b\r\nGetPage=3\r\n");
    [[maybe_unused]] const QPoint fresh = LoadedWindow().pos();  // where a window starts without a kept place
    frmMain& first = LoadedWindow();
    first.move(130, 70);
    first.hide();  // closed from the tray: the place it had when it hid
    first.close();
    EXPECT_EQ(settings::ReadWindowSpot(config), (settings::WindowSpot{130, 70}));
    EXPECT_EQ(ReadBytes(config), "[Config]\r\nListUrl=http://a/b\r\nGetPage=3\r\nWindowLeft=130\r\nWindowTop=70\r\n");
    EXPECT_EQ(LoadedWindow().pos(), QPoint(130, 70));
    for (const char* place : {"WindowLeft=-5000\r\nWindowTop=70", "WindowLeft=130\r\nWindowTop=99999",
                              "WindowLeft=abc\r\nWindowTop=70", "WindowLeft=130"}) {
        WriteBytes(config, std::string("[Config]\r\n") + place + "\r\n");
        const frmMain& window = LoadedWindow();
#ifdef _WIN32
        // Windows cascades the default place of each new window.
        EXPECT_TRUE(widgets::WindowPlace::OnAScreen(window.pos(), window.size())) << place;
#else
        EXPECT_EQ(window.pos(), fresh) << place;
#endif
    }
}

// The dialog starts at the field's folder (the nearest one that exists,
// "~" the home folder); Cancel leaves the field as it was.
TEST_F(MainWindowTest, FolderButtonStartsAtTheFieldsFolderAndCancelKeepsIt) {
    frmMain& window = LoadedWindow();
    const std::string songs = Folder() + "/songs";
    std::filesystem::create_directories(songs);
    window.SavePath->SetText(QString::fromStdString(songs + "/not yet"));
    folderChoice = "/home/someone/Music";
    window.cmdDir->click();
    EXPECT_EQ(window.SavePath->Text(), QStringLiteral("/home/someone/Music"));
    window.SavePath->SetText(QString::fromStdString(songs));
    folderChoice.clear();
    window.cmdDir->click();
    EXPECT_EQ(window.SavePath->Text().toStdString(), songs);
    EXPECT_EQ(dialogStarts, (std::vector<std::string>{songs, songs}));
    EXPECT_EQ(dialogTitles, (std::vector<std::string>{"请选择保存文件夹", "请选择保存文件夹"}));
    EXPECT_FALSE(std::filesystem::exists(settings::ConfigPath(Folder())));  // nothing saved here
    // The run and 打开目录 take "~/…" as the home folder.
    window.SavePath->SetText(QStringLiteral("~/songs"));
    if (!platform::UserHome().empty()) {
        EXPECT_EQ(window.SavePathText(), platform::UserHome() + "/songs");
    }
}

TEST_F(MainWindowTest, QuickLinksFillTheAddressFieldAndNothingElse) {
    frmMain& window = LoadedWindow();
    QMenu* links = window.Menus().m_Show;
    ASSERT_EQ(links->actions().size(), 14);
    EXPECT_TRUE(links->actions().at(6)->isSeparator());
    window.ListUrl->SetText(QStringLiteral("typed by the user"));
    window.Songs().Prepare();
    window.Songs().AddRow(1, 5, "5", "kept");
    links->actions().at(2)->trigger();
    EXPECT_EQ(window.ListUrl->Text(), QString::fromStdString(MusicUrl("/music/chart")));
    links->actions().at(11)->trigger();
    EXPECT_EQ(window.ListUrl->Text(), QString::fromStdString(MusicUrl("/tag/%BF%A8%C5%A9")));
    EXPECT_EQ(window.Songs().RowCount(), 1);
    EXPECT_TRUE(messages.empty());
}

TEST_F(MainWindowTest, ClosingAbortsTheTransferStopsTheRunAndEndsOnce) {
    ScriptedTransfer transfer;
    frmMain& window = LoadedWindow(&transfer);
    window.close();
    window.Form_Unload();  // a second request changes nothing
    EXPECT_EQ(transfer.abortCalls, 1);
    EXPECT_EQ(window.cmdDown->Tag(), QStringLiteral("0"));
    EXPECT_EQ(endCalls, 1);
}

TEST_F(MainWindowTest, TrayMenuShowRestoresAndExitEnds) {
    trayAvailable = true;
    ScriptedTransfer transfer;
    frmMain& window = LoadedWindow(&transfer);
    window.move(150, 90);
    window.showMinimized();
    ASSERT_TRUE(PumpUntil([&] { return !window.isVisible(); }));
    QMenu* tray = window.Menus().m_Main;
    ASSERT_EQ(tray->actions().size(), 2);
    EXPECT_EQ(tray->actions().at(0)->text(), QStringLiteral("显示下载助手"));
    window.move(0, 0);  // as a window manager would place it on mapping
    tray->actions().at(0)->trigger();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.pos(), QPoint(150, 90));
    EXPECT_FALSE(widgets::HasTrayIcon(&window, 0));
    tray->actions().at(1)->trigger();
    EXPECT_EQ(endCalls, 1);
    EXPECT_EQ(transfer.abortCalls, 1);
}

// Minimising with and without a tray; the advertisement pauses meanwhile.
class MinimiseTest : public MainWindowTest, public ::testing::WithParamInterface<bool> {};

TEST_P(MinimiseTest, MinimiseAndRestore) {
    trayAvailable = GetParam();
    frmMain& window = LoadedWindow();
    ASSERT_TRUE(window.ucAniGIF1->LoadAnimatedGIF(QByteArray::fromStdString(demo::AnimatedGif())));
    for (int round = 0; round < 2; ++round) {
        window.showMinimized();
        ASSERT_TRUE(PumpUntil([&] { return window.isMinimized(); }));
        PumpUntil([] { return false; }, 50);
        EXPECT_EQ(window.ucAniGIF1->Action(), widgets::ucAniGIF::kPause);
        EXPECT_EQ(window.isVisible(), !trayAvailable);  // no tray: an ordinary minimised window
        EXPECT_EQ(widgets::HasTrayIcon(&window, 0), trayAvailable);
        if (trayAvailable) {
            window.Form_MouseDown(widgets::kTrayRightButtonDown + 1);  // a release: nothing
            EXPECT_TRUE(widgets::HasTrayIcon(&window, 0));
            window.Form_MouseDown(widgets::kTrayLeftButtonDown);
        } else {
            window.showNormal();
        }
        ASSERT_TRUE(PumpUntil([&] { return !window.isMinimized() && window.isVisible(); }));
        EXPECT_FALSE(widgets::HasTrayIcon(&window, 0));
        EXPECT_EQ(window.ucAniGIF1->Action(), widgets::ucAniGIF::kPlay);
    }
}

TEST_P(MinimiseTest, AStoppedAdvertisementStaysStopped) {
    trayAvailable = GetParam();
    frmMain& window = LoadedWindow();
    ASSERT_TRUE(window.ucAniGIF1->LoadAnimatedGIF(QByteArray::fromStdString(demo::AnimatedGif())));
    window.ucAniGIF1->SetAction(widgets::ucAniGIF::kStop);
    window.showMinimized();
    ASSERT_TRUE(PumpUntil([&] { return window.isMinimized(); }));
    window.showNormal();
    ASSERT_TRUE(PumpUntil([&] { return !window.isMinimized(); }));
    EXPECT_EQ(window.ucAniGIF1->Action(), widgets::ucAniGIF::kStop);
}

INSTANTIATE_TEST_SUITE_P(Tray, MinimiseTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "WithTray" : "WithoutTray"; });

}  // namespace
}  // namespace tunewell::testing
