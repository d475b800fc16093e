// SPDX-License-Identifier: GPL-3.0-or-later
// The list and download buttons end to end: the window, the core and the
// demo site on 127.0.0.1.
#include <QLabel>

#include <optional>

#include "chrome/text_box.h"
#include "demo_site/demo_catalogue.h"
#include "support/demo_site_fixture.h"
#include "main_window_fixture.h"
#include "net/wait_pump.h"
#include "settings/config.h"
#include "widgets/progress_bar_widget.h"
#include "widgets/skin_button.h"
#include "shell/song_list_model.h"
#include "support/site_urls.h"

namespace tunewell::testing {
namespace {

using shell::frmMain;

class MainWindowSiteTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        demo_.emplace();
        ASSERT_TRUE(demo_->Running());
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        demo_.reset();
    }

    // Loads the window and fetches `address` through the list button.
    frmMain& WindowWithList(const std::string& address, transfer::FileFetch* transfer = nullptr) {
        frmMain& window = LoadedWindow(transfer);
        window.ListUrl->SetText(QString::fromStdString(address));
        window.SavePath->SetText(QString::fromStdString(Folder()));
        window.cmdList->click();
        Pump();
        return window;
    }

    std::optional<ScopedDemoSite> demo_;
};

TEST_F(MainWindowSiteTest, ListButtonFillsUntickedRowsAndSavesTheFields) {
    frmMain& window = WindowWithList(MusicUrl("/music/chart/"));
    shell::SongListModel& songs = window.Songs();
    ASSERT_EQ(songs.RowCount(), 10);  // one page: GetPage defaults to 1
    EXPECT_EQ(songs.rowCount(), 10);  // the view has been told
    for (int row = 1; row <= songs.RowCount(); ++row) {
        EXPECT_FALSE(songs.IsChecked(row));
        EXPECT_EQ(songs.IdText(row), std::to_string(static_cast<long long>(songs.Tag(row))));
        EXPECT_FALSE(songs.Name(row).empty());
    }
    EXPECT_EQ(window.LabTip->text(), QStringLiteral("获取歌曲列表成功,请单击选择您想下载的歌曲"));
    EXPECT_TRUE(messages.empty());
    settings::Config saved;
    settings::LoadConfig(saved, Folder());
    EXPECT_EQ(saved.ListUrl, MusicUrl("/music/chart/"));
}

TEST_F(MainWindowSiteTest, ListButtonMessagesGoThroughTheMessageFunction) {
    struct Case {
        std::string address;
        std::string folder;
        std::string message;
    };
    const Case cases[] = {
        {"", "/tmp", "请输入音乐列表地址！"},
        {"http://example.org/music/", "/tmp", std::string("本软件不支持") + hosts::kMusicHost + "网站外的歌曲！"},
    };
    frmMain& window = LoadedWindow();
    for (const Case& c : cases) {
        messages.clear();
        window.ListUrl->SetText(QString::fromStdString(c.address));
        window.SavePath->SetText(QString::fromStdString(c.folder));
        window.cmdList->click();
        EXPECT_EQ(messages, std::vector<std::string>{c.message}) << c.address;
    }
    EXPECT_EQ(window.Songs().RowCount(), 0);
}

TEST_F(MainWindowSiteTest, DownloadTransfersTheTickedSongAndRemovesItsRow) {
    frmMain& window = WindowWithList(MusicUrl("/album/232523"));
    shell::SongListModel& songs = window.Songs();
    ASSERT_GT(songs.RowCount(), 0);
    ASSERT_EQ(songs.Tag(1), demo::kSongPlain);
    const int before = songs.RowCount();
    window.ListMusic_ItemClick(1);
    window.cmdDown->click();
    EXPECT_EQ(songs.RowCount(), before - 1);
    EXPECT_EQ(window.LabTip->text(), QStringLiteral("下载空闲中......"));
    EXPECT_EQ(window.PB->Text(), QStringLiteral("下载进度0%"));
    EXPECT_EQ(window.cmdDown->Caption(), QStringLiteral("开始下载"));
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(Folder())) {
        if (entry.path().extension() == ".mp3") {
            ++files;
            EXPECT_EQ(std::filesystem::file_size(entry.path()), demo::AudioSize(demo::kSongPlain));
        }
    }
    EXPECT_EQ(files, 1);
    EXPECT_TRUE(messages.empty());
}

// A click on the download button while a song is being transferred enters
// the handler again and pauses: the transfer is aborted, no further song
// starts, the row stays and the controls return to idle.
TEST_F(MainWindowSiteTest, ClickDuringATransferPausesTheRun) {
    ScriptedTransfer transfer;
    frmMain& window = WindowWithList(MusicUrl("/album/232523"), &transfer);
    transfer.window = &window;
    shell::SongListModel& songs = window.Songs();
    ASSERT_GE(songs.RowCount(), 3);
    window.selAll->click();
    QString captionDuringTransfer;
    int percentDuringTransfer = -1;
    transfer.duringTransfer = [&](int song) {
        if (song != 1) return;
        captionDuringTransfer = window.cmdDown->Caption();
        percentDuringTransfer = window.PB->Value();
        window.cmdDown->click();
    };
    const int before = songs.RowCount();
    window.cmdDown->click();
    EXPECT_EQ(transfer.started.size(), 1u);
    EXPECT_EQ(transfer.abortCalls, 1);
    EXPECT_EQ(captionDuringTransfer, QStringLiteral("暂停下载"));
    EXPECT_EQ(percentDuringTransfer, 50);
    EXPECT_EQ(songs.RowCount(), before);
    EXPECT_EQ(window.cmdDown->Tag(), QStringLiteral("0"));
    EXPECT_EQ(window.cmdDown->Caption(), QStringLiteral("开始下载"));
    EXPECT_EQ(window.LabTip->text(), QStringLiteral("下载空闲中......"));

    // A second start goes on with the rows that are still ticked.
    transfer.duringTransfer = nullptr;
    window.cmdDown->click();
    EXPECT_EQ(transfer.started.size(), 1u + static_cast<std::size_t>(before));
}

TEST_F(MainWindowSiteTest, ClosingDuringARealTransferLeavesNoFileBehind) {
    demo_->Site().Options().slowChunkDelayMs = 20;
    frmMain& window = WindowWithList(MusicUrl("/album/232523"));
    shell::SongListModel& songs = window.Songs();
    int slowRow = 0;
    for (int row = 1; row <= songs.RowCount(); ++row) {
        if (songs.Tag(row) == demo::kSongSlow) slowRow = row;
    }
    ASSERT_GT(slowRow, 0);
    window.ListMusic_ItemClick(slowRow);
    const int before = songs.RowCount();
    bool closed = false;
    // Close as soon as the bar moves: the transfer is under way then.
    const net::WaitPump windowPump = net::InstalledWaitPump();
    const net::ScopedWaitPump pump([&](net::WaitKind kind) {
        if (kind == net::WaitKind::kTransfer && !closed && window.PB->Value() > 0) {
            closed = true;
            window.close();
        }
        windowPump(kind);
    });
    window.cmdDown->click();
    EXPECT_TRUE(closed);
    EXPECT_EQ(endCalls, 1);
    EXPECT_EQ(songs.RowCount(), before);
    for (const auto& entry : std::filesystem::directory_iterator(Folder())) {
        // The song's hidden partial file and its record stay for resuming.
        const std::string name = entry.path().filename();
        if (name.rfind(".", 0) == 0 && (entry.path().extension() == ".part" || entry.path().extension() == ".info"))
            continue;
        EXPECT_NE(entry.path().extension(), ".mp3") << entry.path();
        EXPECT_TRUE(name == settings::kConfigFileName || name == ".Config.ini.lock") << entry.path();
    }
}

}  // namespace
}  // namespace tunewell::testing
