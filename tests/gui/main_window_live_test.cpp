// SPDX-License-Identifier: GPL-3.0-or-later
// The main window stays live while a real page request waits on the demo
// site: clicks made during the wait act at once (ticks, the tray, a pause of
// the run), while the clicks that would start a second step are ignored.
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <vector>

#include "chrome/caption_button.h"
#include "chrome/skin.h"
#include "chrome/text_box.h"
#include "demo_site/demo_catalogue.h"
#include "hand_over.h"
#include "main_window_fixture.h"
#include "shell/song_list_model.h"
#include "shell/song_list_view.h"
#include "support/aria2_process.h"
#include "support/demo_site_fixture.h"
#include "support/site_urls.h"
#include "trust/self_update.h"
#include "settings/config.h"
#include "shell/single_window.h"
#include "update/ui/frm_up_date.h"
#include "widgets/progress_bar_widget.h"
#include "widgets/shell_functions.h"
#include "widgets/skin_button.h"
#include "widgets/uc_ani_gif.h"

namespace tunewell::testing {
namespace {

using shell::frmMain;

// A click left in the queue at `local`, as the window system delivers it.
void PostClickAt(QWidget* target, QPoint local) {
    const QPointF global = target->mapToGlobal(QPointF(local));
    QCoreApplication::postEvent(target, new QMouseEvent(QEvent::MouseButtonPress, QPointF(local), global,
                                                        Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(target, new QMouseEvent(QEvent::MouseButtonRelease, QPointF(local), global,
                                                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
}

void PostClick(QWidget* target) { PostClickAt(target, target->rect().center()); }

// Steps run one after another from a timer; each notes whether it ran while
// the window waited for a page.
class WaitScript {
public:
    explicit WaitScript(const frmMain& window) : window_(window) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Next(); });
    }
    void Add(std::function<void()> step) { steps_.push_back(std::move(step)); }
    void Start(int intervalMs) { timer_.start(intervalMs); }
    bool AllRanInAWait() const { return ran_ == steps_.size() && inWait_ == steps_.size(); }

private:
    void Next() {
        if (ran_ == steps_.size()) {
            timer_.stop();
            return;
        }
        if (window_.InPageWait()) ++inWait_;
        steps_[ran_++]();
    }

    const frmMain& window_;
    QTimer timer_;
    std::vector<std::function<void()>> steps_;
    std::size_t ran_ = 0;
    std::size_t inWait_ = 0;
};

class LiveWindowTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        demo_.emplace();
        ASSERT_TRUE(demo_->Running());
    }
    void TearDown() override {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (qobject_cast<update::frmUpDate*>(window) != nullptr) delete window;
        }
        MainWindowTest::TearDown();
        demo_.reset();
    }

    demo::DemoSite& Site() { return demo_->Site(); }

    frmMain& WindowWithList(const std::string& address, transfer::FileFetch* transfer = nullptr) {
        frmMain& window = LoadedWindow(transfer);
        window.ListUrl->SetText(QString::fromStdString(address));
        window.SavePath->SetText(QString::fromStdString(Folder()));
        window.cmdList->click();
        Pump();
        return window;
    }

    int RequestsTo(const std::string& pathStart) {
        int count = 0;
        for (const auto& request : Site().Requests()) count += request.target.rfind(pathStart, 0) == 0 ? 1 : 0;
        return count;
    }

    int SavedSongs() {
        int files = 0;
        for (const auto& entry : std::filesystem::directory_iterator(Folder())) {
            files += entry.path().extension() == ".mp3" ? 1 : 0;
        }
        return files;
    }

    static std::vector<bool> Ticks(const shell::SongListModel& songs) {
        std::vector<bool> ticks;
        for (int row = 1; row <= songs.RowCount(); ++row) ticks.push_back(songs.IsChecked(row));
        return ticks;
    }

    std::optional<ScopedDemoSite> demo_;
};

// The window hands the ticked songs to an aria2 started with an RPC secret,
// using the Aria2Secret of Config.ini: both songs arrive.
TEST_F(LiveWindowTest, TheHandOffUsesTheSecretOfTheSettings) {
    if (!Aria2Installed()) GTEST_SKIP() << "aria2c not installed";
    TempFolder songs;
    Aria2Process aria2(Site().ProxyUrl(), songs.path(), "s3cret");
    ASSERT_TRUE(aria2.WaitUntilListening());
    {
        std::ofstream ini(settings::ConfigPath(Folder()), std::ios::binary);
        ini << "[Config]\r\nAria2Secret=s3cret\r\n";
    }
    adjustServices = [&](shell::MainWindowServices& services) {
        services.isRunning = [](const std::string&) { return true; };
        services.managerEndpoint = aria2.Endpoint();
    };
    frmMain& window = WindowWithList(MusicUrl("/play.php?song_id=" + std::to_string(demo::kSongPlain) + "," +
                                              std::to_string(demo::kSongFileHost), "www."));
    ASSERT_EQ(window.Songs().RowCount(), 2);
    window.SavePath->SetText(QString::fromStdString(songs.path()));
    window.IsXun->setChecked(true);
    window.selAll->click();
    window.cmdDown->click();
    EXPECT_TRUE(messages.empty()) << messages.front();
    const std::string plain = songs.File("山间小路 - 林小溪.mp3");
    const std::string hosted = songs.File("蓝色天空 - 王一帆.mp3");
    EXPECT_TRUE(PumpUntil([&] {
        return ReadBytes(plain) == demo::AudioContent(demo::kSongPlain) &&
               ReadBytes(hosted) == demo::AudioContent(demo::kSongFileHost);
    }, 10000));
}

// A run's end is told: the songs that failed in a message box, and, while
// the window waits in the tray, a notification of what the run did. A play
// page that fails says its cause once.
TEST_F(LiveWindowTest, TheEndOfARunNamesItsFailuresAndNotifiesFromTheTray) {
    std::vector<std::string> notices;
    adjustServices = [&](shell::MainWindowServices& services) {
        services.notify = [&](const std::string& title, const std::string& text) {
            notices.push_back(title + "|" + text);
        };
    };
    trayAvailable = true;
    frmMain& window = WindowWithList(MusicUrl("/play.php?song_id=" + std::to_string(demo::kSongPlain) + "," +
                                              std::to_string(demo::kSongMissing), "www."));
    ASSERT_EQ(window.Songs().RowCount(), 2);
    const std::string missing = window.Songs().Name(2);
    window.selAll->click();
    window.showMinimized();
    ASSERT_TRUE(PumpUntil([&] { return !window.isVisible(); }));
    window.cmdDown->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("1首下载失败：\n", 0), 0u) << messages[0];
    EXPECT_NE(messages[0].find("服务器返回HTTP 404"), std::string::npos) << messages[0];
    EXPECT_EQ(notices, std::vector<std::string>{"Tunewell音乐下载助手|下载结束：已保存1首，1首失败"});
    ASSERT_EQ(window.Songs().RowCount(), 1);
    EXPECT_EQ(window.Songs().FailureOf(1), "服务器返回HTTP 404");

    // Shown again: a play page that fails gives one box with its cause and
    // no notification.
    window.Form_MouseDown(widgets::kTrayLeftButtonDown);
    ASSERT_TRUE(PumpUntil([&] { return window.isVisible(); }));
    messages.clear();
    Site().Options().playStatus = 503;
    window.cmdDown->click();
    EXPECT_EQ(messages, std::vector<std::string>{"分析歌曲地址出错：服务器返回HTTP 503"});
    EXPECT_EQ(notices.size(), 1u);
    EXPECT_EQ(window.Songs().FailureOf(1), "服务器返回HTTP 503");
}

// The keyboard reaches the list: Enter in the address field fetches it,
// Ctrl+A ticks every row, and in a text field selects its text instead.
TEST_F(LiveWindowTest, EnterFetchesTheListAndCtrlATicksEveryRow) {
    frmMain& window = LoadedWindow();
    window.show();
    QApplication::setActiveWindow(&window);
    window.ListUrl->SetText(QString::fromStdString(MusicUrl("/album/232523")));
    QTest::keyClick(window.ListUrl->Field(), Qt::Key_Return);
    shell::SongListModel& songs = window.Songs();
    ASSERT_GE(songs.RowCount(), 3);
    QTest::keyClick(window.ListUrl->Field(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Ticks(songs), std::vector<bool>(static_cast<std::size_t>(songs.RowCount()), false));
    EXPECT_EQ(window.ListUrl->Field()->selectedText(), window.ListUrl->Text());
    window.ListMusic->setFocus();
    QTest::keyClick(window.ListMusic, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Ticks(songs), std::vector<bool>(static_cast<std::size_t>(songs.RowCount()), true));
}

// A build without the version check starts its window as usual but sends
// the version server nothing, reads no disk identity and shows no
// advertisement. The same window with the check asks once, so the site
// does see the window's requests.
TEST_F(LiveWindowTest, WithoutTheVersionCheckNothingIsAskedAtStart) {
    realVersionServer = true;
    for (const bool check : {true, false}) {
        versionCheck = check;
        serialReads = 0;
        Site().ClearRequests();
        frmMain& window = LoadedWindow();
        ASSERT_TRUE(PumpUntil([&] { return !check || window.ucAniGIF1->HasPicture(); })) << check;
        EXPECT_EQ(Site().RequestsFor(hosts::kVersionServerHost).empty(), !check) << check;
        EXPECT_EQ(serialReads, check ? 1 : 0);
        EXPECT_EQ(window.ucAniGIF1->HasPicture(), check);
        EXPECT_EQ(window.LabVer->text(), QStringLiteral("Ver2.5"));
        EXPECT_EQ(window.LabTip->text(), check ? QStringLiteral("您使用的是最新版本")
                                               : QStringLiteral("Tunewell音乐下载助手"));
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(updaterOpened, 0);
    }
}

// The click on "暂停下载" arrives while the play page is still on its way:
// the run prepares its first entry and ends before starting it.
TEST_F(LiveWindowTest, APauseClickWhileThePlayPageWaitsSavesNoSong) {
    frmMain& window = WindowWithList(MusicUrl("/album/232523"));
    shell::SongListModel& songs = window.Songs();
    ASSERT_GE(songs.RowCount(), 3);
    window.selAll->click();
    const int rows = songs.RowCount();
    Site().Options().playDelayMs = 700;
    Site().ClearRequests();
    bool pressedInWait = false;
    QObject::connect(window.cmdDown, &QPushButton::pressed, [&] { pressedInWait = window.InPageWait(); });
    QString captionAtClick;
    QTimer::singleShot(150, [&] {
        captionAtClick = window.cmdDown->Caption();
        PostClick(window.cmdDown);
    });
    window.cmdDown->click();
    EXPECT_TRUE(pressedInWait);
    EXPECT_EQ(captionAtClick, QStringLiteral("暂停下载"));
    EXPECT_EQ(RequestsTo("/play.php"), 1);
    EXPECT_EQ(RequestsTo("/audio/"), 0);
    EXPECT_EQ(SavedSongs(), 0);
    EXPECT_EQ(songs.RowCount(), rows);
    EXPECT_EQ(window.cmdDown->Caption(), QStringLiteral("开始下载"));
    EXPECT_EQ(window.LabTip->text(), QStringLiteral("下载空闲中......"));
    EXPECT_TRUE(messages.empty());
}

// While a list is fetched the user ticks rows, uses 全选 and 反选, minimises
// to the tray and comes back; a second list click, a start of the run and
// the settings button are ignored.
TEST_F(LiveWindowTest, DuringAListFetchTicksAndTheTrayActButOtherStepsAreIgnored) {
    frmMain& window = WindowWithList(MusicUrl("/album/232523"));
    shell::SongListModel& songs = window.Songs();
    const int oldRows = songs.RowCount();
    ASSERT_GE(oldRows, 3);
    trayAvailable = true;
    Site().Options().listDelayMs = 1500;
    Site().ClearRequests();
    window.ListUrl->SetText(QString::fromStdString(MusicUrl("/music/chart/")));

    std::vector<bool> allButFirst(static_cast<std::size_t>(oldRows), true);
    allButFirst[0] = false;
    WaitScript script(window);
    QWidget* rows = window.ListMusic->viewport();
    script.Add([&] { PostClickAt(rows, window.ListMusic->visualRect(songs.index(0, 0)).center()); });
    script.Add([&] {
        EXPECT_TRUE(songs.IsChecked(1));
        PostClick(window.selBack);
    });
    script.Add([&] {
        EXPECT_EQ(Ticks(songs), allButFirst);
        PostClick(window.selAll);
    });
    script.Add([&] {
        EXPECT_EQ(Ticks(songs), std::vector<bool>(static_cast<std::size_t>(oldRows), true));
        EXPECT_EQ(window.cmdCon->cursor().shape(), Qt::BusyCursor);
        PostClick(window.cmdDown);
        PostClick(window.cmdCon);
    });
    script.Add([&] { window.showMinimized(); });
    script.Add([&] {
        EXPECT_FALSE(window.isVisible());
        EXPECT_TRUE(widgets::HasTrayIcon(&window, 0));
        QCoreApplication::postEvent(&window, new widgets::TrayMessageEvent(widgets::kTrayLeftButtonDown));
    });
    script.Add([&] {
        EXPECT_TRUE(window.isVisible());
        EXPECT_FALSE(widgets::HasTrayIcon(&window, 0));
    });
    script.Start(60);
    window.cmdList->click();

    EXPECT_TRUE(script.AllRanInAWait());
    EXPECT_EQ(RequestsTo("/music/chart/"), 1);
    EXPECT_EQ(RequestsTo("/play.php"), 0);
    EXPECT_EQ(songs.RowCount(), 10);  // one list, not two
    EXPECT_EQ(settingsShown, 0);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(window.LabTip->text(), QStringLiteral("获取歌曲列表成功,请单击选择您想下载的歌曲"));
    EXPECT_EQ(window.cmdList->cursor().shape(), Qt::PointingHandCursor);
}

// A list fetch that hangs can be left: a second 获取歌曲列表 abandons it at
// once and fetches the address now in the field; Esc abandons it and keeps
// the rows. Neither waits for the hanging page nor says a word.
TEST_F(LiveWindowTest, ANewerListClickOrEscLeavesAHangingFetch) {
    frmMain& window = WindowWithList(MusicUrl("/album/232523"));
    shell::SongListModel& songs = window.Songs();
    const int albumRows = songs.RowCount();
    ASSERT_GE(albumRows, 3);
    Site().Options().listDelayMs = 20000;
    Site().ClearRequests();
    window.ListUrl->SetText(QString::fromStdString(MusicUrl("/music/chart/")));
    QElapsedTimer elapsed;
    elapsed.start();
    QTimer::singleShot(300, [&] {
        Site().Options().listDelayMs = 0;
        window.ListUrl->SetText(QString::fromStdString(MusicUrl("/album/232523")));
        PostClick(window.cmdList);
    });
    window.cmdList->click();
    EXPECT_LT(elapsed.elapsed(), 10000);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(songs.RowCount(), albumRows);
    EXPECT_EQ(window.LabTip->text(), QStringLiteral("获取歌曲列表成功,请单击选择您想下载的歌曲"));
    EXPECT_EQ(RequestsTo("/music/chart/"), 1);
    EXPECT_EQ(RequestsTo("/album/232523"), 1);

    Site().Options().listDelayMs = 20000;
    window.ListUrl->SetText(QString::fromStdString(MusicUrl("/music/chart/")));
    elapsed.restart();
    QTimer::singleShot(300, [&] { QTest::keyClick(&window, Qt::Key_Escape); });
    window.cmdList->click();
    EXPECT_LT(elapsed.elapsed(), 10000);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(songs.RowCount(), albumRows);
    EXPECT_EQ(window.LabTip->text(), QStringLiteral("已停止获取歌曲列表"));
}

// During a run the settings button is ignored and a list fetch goes ahead;
// the pause still works on the new, unticked list, and a start clicked
// while the paused run is still unwinding is ignored, so no second run
// shares the transfer.
TEST_F(LiveWindowTest, DuringARunSettingsAndARestartAreIgnoredButAListFetchRuns) {
    ScriptedTransfer transfer;
    frmMain& window = WindowWithList(MusicUrl("/album/232523"), &transfer);
    transfer.window = &window;
    window.selAll->click();
    bool settingsBusy = false;
    bool restartBusy = false;
    int rowsAfterFetch = 0;
    transfer.duringTransfer = [&](int song) {
        if (song != 1) return;
        settingsBusy = window.cmdCon->cursor().shape() == Qt::BusyCursor;
        window.cmdCon->click();
        window.ListUrl->SetText(QString::fromStdString(MusicUrl("/music/chart/")));
        window.cmdList->click();
        rowsAfterFetch = window.Songs().RowCount();
        window.cmdDown->click();  // pauses
        restartBusy = window.cmdDown->cursor().shape() == Qt::BusyCursor;
        window.cmdDown->click();  // would start a second run inside the first
    };
    window.cmdDown->click();
    EXPECT_TRUE(settingsBusy);
    EXPECT_EQ(settingsShown, 0);
    EXPECT_EQ(rowsAfterFetch, 10);
    EXPECT_TRUE(restartBusy);
    EXPECT_EQ(transfer.started.size(), 1u);
    EXPECT_EQ(transfer.abortCalls, 1);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(window.cmdDown->Caption(), QStringLiteral("开始下载"));
    EXPECT_EQ(window.cmdDown->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(window.cmdCon->cursor().shape(), Qt::PointingHandCursor);
    window.cmdCon->click();
    EXPECT_EQ(settingsShown, 1);
}

update::frmUpDate* OpenUpdater() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* updater = qobject_cast<update::frmUpDate*>(window); updater && updater->isVisible()) return updater;
    }
    return nullptr;
}

// A failed update leaves the user the main window, shown behind the
// updater; closing the updater then ends nothing.
TEST_F(LiveWindowTest, AFailedUpdateShowsTheMainWindowAndClosingTheUpdaterEndsNothing) {
    // A build that never replaces itself offers the manual address at
    // once and downloads nothing (the program updater's own tests).
    if (!trust::kSelfUpdate) GTEST_SKIP() << "built without self-update";
    versionReply = "{TunewellVerSion}2.6{/TunewellVerSion}";
    realUpdater = true;
    Site().Options().programStatus = 500;
    frmMain& window = LoadedWindow();
    update::frmUpDate* updater = OpenUpdater();
    ASSERT_NE(updater, nullptr);
    EXPECT_EQ(updater->PB()->Text(), QStringLiteral("升级失败"));
    EXPECT_TRUE(updater->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(updater->testAttribute(Qt::WA_QuitOnClose));  // not even with the main window in the tray
    EXPECT_TRUE(window.isVisible());
    Pump();
    EXPECT_TRUE(window.isVisible());

    auto* close = updater->skin1->CloseButton();
    QTest::mouseClick(close, Qt::LeftButton, {}, close->rect().center());
    EXPECT_EQ(endAtOnceCalls, 0);
    EXPECT_EQ(endCalls, 0);
    EXPECT_EQ(OpenUpdater(), nullptr);
    EXPECT_TRUE(window.isVisible());
    window.cmdHelp->click();  // the window still answers
    EXPECT_EQ(openedUrls.size(), 1u);
}

// A later start hands its address over while the window still waits for
// the version server: the window takes it once it has started, puts it in
// the address field and fetches it as the list button does (the fields
// saved to Config.ini).
TEST_F(LiveWindowTest, AnAddressHandedOverDuringStartUpIsFetchedOnceStarted) {
    const std::string config = settings::ConfigPath(Folder());
    WriteBytes(config, "[Config]\r\nSavePath=" + Folder() + "\r\n");
    const std::string name = FreshChannelName();
    const std::string address = MusicUrl("/album/232523");
    bool taken = false;
    int fetchedThen = -1;
    duringVersionRequest = [&] {
        taken = HandOverFromElsewhere(shell::SingleWindow(name), QString::fromStdString("  " + address + "\n"));
        QTest::qWait(200);
        fetchedThen = RequestsTo("/album/232523");
    };
    frmMain& window = Window();
    shell::SingleWindow owner(name);
    ASSERT_TRUE(owner.Listen([&](const QString& handed) { window.OpenFromElsewhere(handed.toStdString()); }));
    window.Form_Load();
    ASSERT_TRUE(PumpUntil([&] { return window.Songs().RowCount() > 0; }));
    EXPECT_TRUE(taken);
    EXPECT_EQ(fetchedThen, 0);
    EXPECT_EQ(RequestsTo("/album/232523"), 1);
    EXPECT_EQ(window.ListUrl->Text().toStdString(), address);
    EXPECT_GE(window.Songs().RowCount(), 3);
    EXPECT_EQ(window.LabTip->text(), QStringLiteral("获取歌曲列表成功,请单击选择您想下载的歌曲"));
    EXPECT_EQ(settings::CurrentConfig({}, Folder()).ListUrl, address);
    EXPECT_TRUE(messages.empty());
}

// One handed over while a list is still on its way is taken as a click of
// the list button would be then: the hanging fetch is left and the handed
// address fetched instead.
TEST_F(LiveWindowTest, AnAddressHandedOverDuringAFetchReplacesIt) {
    frmMain& window = WindowWithList(MusicUrl("/album/232523"));
    const int albumRows = window.Songs().RowCount();
    ASSERT_GE(albumRows, 3);
    const std::string name = FreshChannelName();
    shell::SingleWindow owner(name);
    ASSERT_TRUE(owner.Listen([&](const QString& handed) { window.OpenFromElsewhere(handed.toStdString()); }));
    Site().Options().listDelayMs = 20000;
    Site().ClearRequests();
    window.ListUrl->SetText(QString::fromStdString(MusicUrl("/music/chart/")));
    bool taken = false;
    QTimer::singleShot(300, [&] {
        Site().Options().listDelayMs = 0;
        taken = HandOverFromElsewhere(shell::SingleWindow(name), QString::fromStdString(MusicUrl("/album/232523")));
    });
    QElapsedTimer elapsed;
    elapsed.start();
    window.cmdList->click();
    EXPECT_LT(elapsed.elapsed(), 10000);
    EXPECT_TRUE(taken);
    EXPECT_EQ(window.Songs().RowCount(), albumRows);
    EXPECT_EQ(window.ListUrl->Text().toStdString(), MusicUrl("/album/232523"));
    EXPECT_EQ(RequestsTo("/music/chart/"), 1);
    EXPECT_EQ(RequestsTo("/album/232523"), 1);
    EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace tunewell::testing
