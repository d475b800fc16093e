// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>

#include <signal.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "download/aria2_agent.h"
#include "download/file_host.h"
#include "support/site_urls.h"
#include "support/temp_folder.h"
#include "download/download_run.h"
#include "transfer/file_download_fetch.h"
#include "transfer/file_download.h"
#include "hosts/site_hosts.h"
#include "support/demo_site_fixture.h"
#include "support/download_run_fixture.h"
#include "support/fake_ui.h"
#include "net/cookie_store.h"
#include "text/number.h"

namespace tunewell::download {
namespace {

namespace stdfs = std::filesystem;

using FakeControls = testing::RecordingRun;

std::string ReadAll(const stdfs::path& path) { return testing::ReadBytes(path.string()); }

class DownloadRunTest : public testing::DownloadRunTest {
protected:
    void AddRows(const std::vector<std::pair<double, std::string>>& rows, bool ticked = true) {
        for (const auto& [id, name] : rows) {
            ui_.songs.AddRow(ui_.songs.RowCount() + 1, id, text::Number{text::Number::Kind::Int32, id}.ToText(), name);
            ui_.songs.SetChecked(ui_.songs.RowCount(), ticked);
        }
    }
    std::vector<std::string> Files() const {
        const std::set<std::string> names = FileNames();
        return {names.begin(), names.end()};
    }

    const stdfs::path folder_{temp_.path()};
};

TEST_F(DownloadRunTest, SavesUnderBuiltNamesAndRemovesFinishedRows) {
    config_.AddID = 1;
    AddRows({{1001, "a"}, {1002, "b"}, {1003, "行名"}, {1005, "d"}, {1008, "e"}, {1010, "f"}});
    AddRows({{1001, "duplicate id, unticked"}}, false);
    run_.cmdDown_Click();
    EXPECT_EQ(Files(), (std::vector<std::string>{
                           "01.山间小路 - 林小溪.mp3", "02.春夏秋冬 ABCDEF - 周晓明.mp3", "03.行名.mp3",
                           "04.Vol2 Live - Blue Lake乐队.mp3", "05.流动的声音 - 孙小雅.mp3",
                           "06.大写扩展名 - 吴天.mp3"}));
    EXPECT_EQ(ReadAll(folder_ / "01.山间小路 - 林小溪.mp3"), demo::AudioContent(1001));
    EXPECT_EQ(ReadAll(folder_ / "04.Vol2 Live - Blue Lake乐队.mp3"), demo::AudioContent(1005));  // no length
    EXPECT_EQ(ui_.songs.RowCount(), 0);  // the duplicate id went with its song
    EXPECT_EQ(run_.Succeeded(), 6);
    EXPECT_EQ(ui_.status.Text(), "下载空闲中......");
    EXPECT_EQ(controls_.events.front(), "started");
    EXPECT_EQ(controls_.events.back(), "ended");
    EXPECT_EQ(controls_.Count("saved"), 6);
    EXPECT_EQ(run_.CurrentState(), DownloadRun::State::Idle);
    const auto& requests = Site().RequestsFor(std::string("www.") + hosts::kMusicHost);
    ASSERT_EQ(requests.size(), 1u);  // one play-page request for all songs
    EXPECT_EQ(requests[0].target, "/play.php?song_id=1001,1002,1003,1005,1008,1010");
}

TEST_F(DownloadRunTest, FailedSongKeepsItsRowAndAnOlderFileIsUntouched) {
    std::ofstream(folder_ / "找不到的歌 - 佚名.mp3") << "older";
    AddRows({{1009, "missing"}, {1001, "ok"}});
    run_.cmdDown_Click();
    EXPECT_EQ(ReadAll(folder_ / "找不到的歌 - 佚名.mp3"), "older");
    ASSERT_EQ(ui_.songs.RowCount(), 1);
    EXPECT_EQ(ui_.songs.Tag(1), 1009);
    EXPECT_EQ(controls_.events, (std::vector<std::string>{"started", "failed 1", "saved 2", "ended"}));
    EXPECT_EQ(run_.Failed(), 1);
    EXPECT_EQ(Files().size(), 2u);  // no temporary left behind
}

// Each song keeps its own display name whatever it holds: an "@" in the
// first row's extra does not shift the name the second (short) title takes.
TEST_F(DownloadRunTest, DisplayNamesStayWithTheirRows) {
    AddRows({{1001, "song-A@B"}, {1003, "行名"}});
    run_.cmdDown_Click();
    EXPECT_EQ(Files(), (std::vector<std::string>{"山间小路 - 林小溪.mp3", "行名.mp3"}));
}

// Two songs of one run that come to the same name: the second is saved
// beside the first, never over it.
TEST_F(DownloadRunTest, ASecondSongOfTheSameNameIsSavedBesideTheFirst) {
    AddRows({{1003, "同名"}, {71799, "x"}, {1003, "同名"}});
    run_.cmdDown_Click();
    EXPECT_EQ(Files(), (std::vector<std::string>{"卡农 (D大调) - 帕赫贝尔.mp3", "同名 (2).mp3", "同名.mp3"}));
    EXPECT_EQ(ReadAll(folder_ / "同名 (2).mp3"), demo::AudioContent(1003));
}

// The clean-up of old partials at the start of a run takes only the
// program's own: a hidden file of the user's that looks like one stays.
TEST_F(DownloadRunTest, TheUsersHiddenPartFilesSurviveARun) {
    for (const char* name : {".x.part", ".song.mp3.part", ".song.mp3.part.info"}) {
        const std::string path = (folder_ / name).string();
        testing::WriteBytes(path, "the user's");
        const timeval old[2] = {{std::time(nullptr) - 30 * 24 * 3600, 0}, {std::time(nullptr) - 30 * 24 * 3600, 0}};
        ::utimes(path.c_str(), old);
    }
    AddRows({{1001, "a"}});
    run_.cmdDown_Click();
    EXPECT_EQ(Files(), (std::vector<std::string>{".song.mp3.part", ".song.mp3.part.info", ".x.part",
                                                 "山间小路 - 林小溪.mp3"}));
}

// A failed song says why, on its row (which stays ticked) and to the
// observer; a folder that takes no files stops the run before it starts.
TEST_F(DownloadRunTest, FailuresCarryTheirReason) {
    AddRows({{1009, "missing"}, {1001, "ok"}});
    run_.cmdDown_Click();
    EXPECT_EQ(controls_.reasons, std::vector<std::string>{"1 服务器返回HTTP 404"});
    ASSERT_EQ(ui_.songs.RowCount(), 1);
    EXPECT_TRUE(ui_.songs.IsChecked(1));
    EXPECT_EQ(ui_.songs.FailureOf(1), "服务器返回HTTP 404");

    controls_.manager = true;
    DownloadRun refusing(ui_.ports, controls_, controls_, config_,
                         DownloadRun::Services{transfer_,
                                               [] { return std::make_unique<Aria2Agent>("http://127.0.0.1:1/jsonrpc"); },
                                               [](const std::string&) { return true; }});
    controls_.reasons.clear();
    refusing.cmdDown_Click();
    EXPECT_EQ(controls_.reasons, std::vector<std::string>{"1 下载管理器拒绝了任务"});
    EXPECT_EQ(ui_.songs.FailureOf(1), "下载管理器拒绝了任务");
    controls_.manager = false;

    DownloadRun readOnly(ui_.ports, controls_, controls_, config_,
                         DownloadRun::Services{transfer_, nullptr, nullptr, {},
                                               [](const std::string&) { return false; }});
    Site().ClearRequests();
    controls_.events.clear();
    readOnly.cmdDown_Click();
    EXPECT_EQ(ui_.messages.shown, std::vector<std::string>{"保存文件夹不可写，请重新选择"});
    EXPECT_TRUE(controls_.events.empty());
    EXPECT_TRUE(Site().Requests().empty());
}

TEST_F(DownloadRunTest, PauseDuringTheThirdTransferAndResume) {
    Options().slowChunkDelayMs = 20;
    AddRows({{1001, "1"}, {1003, "2"}, {1007, "3"}, {1008, "4"}, {1010, "5"}});
    // Click the button again once the third (slow) song has bytes on disk.
    bool clicked = false;
    const stdfs::path partial = folder_ / ".慢慢地走 - 赵清风.mp3.part";
    ui_.pump.onPump = [&](int) {
        std::error_code none;
        if (!clicked && ui_.status.Text().find("慢慢地走") != std::string::npos &&
            stdfs::file_size(partial, none) > 0 && !none) {
            clicked = true;
            run_.cmdDown_Click();
        }
    };
    run_.cmdDown_Click();
    ASSERT_TRUE(clicked);
    EXPECT_EQ(ui_.songs.RowCount(), 3);
    EXPECT_EQ(ui_.songs.Tag(1), 1007);  // the paused song keeps its row
    // No fourth song started; the paused one waits, hidden, to be continued.
    EXPECT_EQ(Files(), (std::vector<std::string>{".慢慢地走 - 赵清风.mp3.part", ".慢慢地走 - 赵清风.mp3.part.info",
                                                 "2.mp3", "山间小路 - 林小溪.mp3"}));
    EXPECT_EQ(controls_.events, (std::vector<std::string>{"started", "saved 1", "saved 2", "paused",
                                                          "failed 3", "ended"}));
    EXPECT_EQ(controls_.reasons, std::vector<std::string>{"3 下载已中止"});
    EXPECT_EQ(ui_.songs.FailureOf(1), "");  // paused, not failed: no mark
    controls_.events.clear();

    ui_.pump.onPump = nullptr;
    Options().slowChunkDelayMs = 0;
    Site().ClearRequests();
    run_.cmdDown_Click();
    EXPECT_EQ(Site().RequestsFor(std::string("www.") + hosts::kMusicHost)[0].target, "/play.php?song_id=1007,1008,1010");
    EXPECT_EQ(ui_.songs.RowCount(), 0);
    EXPECT_EQ(Files().size(), 5u);
    // The paused song went on from the bytes it already had.
    const auto audio = Site().RequestsFor(hosts::kMusicHost);
    const auto slow = std::find_if(audio.begin(), audio.end(),
                                   [](const auto& request) { return request.target == "/audio/slow/1007.mp3"; });
    ASSERT_NE(slow, audio.end());
    EXPECT_EQ(slow->Header("Range").rfind("bytes=", 0), 0u) << slow->Header("Range");
    EXPECT_NE(slow->Header("Range"), "bytes=0-");
    EXPECT_EQ(ReadAll(folder_ / "慢慢地走 - 赵清风.mp3"), demo::AudioContent(demo::kSongSlow));
}

TEST_F(DownloadRunTest, FileHostSongGetsItsCookieOnAnyClock) {
    const char* savedTz = std::getenv("TZ");
    const std::string saved = savedTz ? savedTz : "";
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    AddRows({{1004, "file host"}});
    run_.cmdDown_Click();
    savedTz ? ::setenv("TZ", saved.c_str(), 1) : ::unsetenv("TZ");
    ::tzset();
    EXPECT_EQ(Files(), std::vector<std::string>{"蓝色天空 - 王一帆.mp3"});
    EXPECT_EQ(run_.Succeeded(), 1);
}

TEST_F(DownloadRunTest, PreconditionsAreCheckedBeforeAnything) {
    controls_.folder = (folder_ / "missing").string();
    run_.cmdDown_Click();
    controls_.folder = folder_.string();
    run_.cmdDown_Click();
    AddRows({{1001, "a"}}, false);
    run_.cmdDown_Click();
    controls_.manager = true;
    DownloadRun managerRun(ui_.ports, controls_, controls_, config_,
                           DownloadRun::Services{transfer_, nullptr, [](const std::string&) { return false; }});
    managerRun.cmdDown_Click();
    EXPECT_EQ(ui_.messages.shown, (std::vector<std::string>{"保存地址路径不存在,请重新选择", "请点击获取歌曲列表！",
                                                           "您还没有选择歌曲！", "迅雷未运行，请确认安装了迅雷并运行！"}));
    EXPECT_TRUE(Site().Requests().empty());
}

TEST_F(DownloadRunTest, FailedHandOffShowsFailureAndTheRunGoesOn) {
    controls_.manager = true;
    std::vector<std::string> asked;
    DownloadRun managerRun(ui_.ports, controls_, controls_, config_,
                           DownloadRun::Services{transfer_,
                                                 [] { return std::make_unique<Aria2Agent>("http://127.0.0.1:1/jsonrpc"); },
                                                 [&](const std::string& name) { asked.push_back(name); return true; }});
    AddRows({{1001, "a"}, {1003, "b"}});
    managerRun.cmdDown_Click();
    EXPECT_EQ(asked, std::vector<std::string>{"aria2c"});
    EXPECT_EQ(controls_.Count("failed"), 2);
    EXPECT_EQ(ui_.songs.RowCount(), 2);  // handed-off rows stay
    EXPECT_TRUE(Files().empty());
}

// The status line through a run, word for word.
TEST_F(DownloadRunTest, StatusTextsOfARunAndOfAFailedPlayPage) {
    AddRows({{1001, "a"}});
    run_.cmdDown_Click();
    EXPECT_EQ(ui_.status.texts, (std::vector<std::string>{"正在准备下载......", "正在分析歌曲地址......",
                                                          "准备下载山间小路 - 林小溪.mp3...",
                                                          "开始下载山间小路 - 林小溪.mp3...", "下载空闲中......"}));
    ui_.status.texts.clear();
    AddRows({{1003, "b"}});
    Options().playStatus = 500;
    run_.cmdDown_Click();
    EXPECT_EQ(ui_.status.texts, (std::vector<std::string>{"正在准备下载......", "正在分析歌曲地址......",
                                                          "分析歌曲地址出错,建议您不要一次获取太多歌曲......",
                                                          "下载空闲中......"}));
    EXPECT_EQ(controls_.events, (std::vector<std::string>{"started", "saved 1", "ended", "started", "ended"}));
}

// A pause click while the play page is fetched aborts nothing: the first
// entry is prepared and the run ends before starting it.
TEST_F(DownloadRunTest, PauseDuringThePlayPageFetchStartsNoSong) {
    AddRows({{1001, "a"}, {1003, "b"}});
    ui_.pump.onPump = [&](int) {
        if (ui_.status.Text() == "正在分析歌曲地址......" && run_.CurrentState() == DownloadRun::State::Running) {
            run_.cmdDown_Click();
        }
    };
    run_.cmdDown_Click();
    EXPECT_EQ(controls_.events, (std::vector<std::string>{"started", "paused", "ended"}));
    EXPECT_EQ(ui_.status.texts[ui_.status.texts.size() - 2], "开始下载山间小路 - 林小溪.mp3...");
    EXPECT_TRUE(Files().empty());
    EXPECT_EQ(ui_.songs.RowCount(), 2);
    EXPECT_TRUE(Site().RequestsFor(hosts::kMusicHost).empty());  // no audio was asked for
}

// The download-manager tick is read for every song: ticked during the run,
// the later songs are handed off without a process check.
TEST_F(DownloadRunTest, TickingTheManagerDuringARunHandsOffTheLaterSongs) {
    struct Recorder : ThunderAgent {
        explicit Recorder(std::vector<std::string>& seen) : seen_(seen) {}
        bool AddTask(const std::string& address, const std::string& fileName, const std::string&,
                     const std::string&, const std::string&, std::int16_t, std::int16_t, std::int16_t) override {
            seen_.push_back(fileName + " <- " + address);
            return true;
        }
        bool CommitTasks2(std::int16_t) override { return true; }
        std::vector<std::string>& seen_;
    };
    std::vector<std::string> handed, asked;
    DownloadRun run(ui_.ports, controls_, controls_, config_,
                    DownloadRun::Services{transfer_, [&] { return std::make_unique<Recorder>(handed); },
                                          [&](const std::string& name) { asked.push_back(name); return true; }});
    AddRows({{1001, "a"}, {1003, "b"}});
    fileDownload_.OnProgress = nullptr;
    ui_.pump.onPump = [&](int) {
        if (controls_.Count("saved") == 1) controls_.manager = true;
    };
    run.cmdDown_Click();
    EXPECT_EQ(controls_.events, (std::vector<std::string>{"started", "saved 1", "handed 2", "ended"}));
    EXPECT_TRUE(asked.empty());
    ASSERT_EQ(handed.size(), 1u);
    EXPECT_EQ(handed[0].find("b.mp3 <- http"), 0u);
    EXPECT_EQ(Files(), std::vector<std::string>{"山间小路 - 林小溪.mp3"});
}

// A save folder that names an existing file passes the folder test; the
// transfers then fail and leave the file alone.
TEST_F(DownloadRunTest, SaveFolderThatIsAFileFailsEverySong) {
    const std::string file = (folder_ / "plain").string();
    std::ofstream(file) << "keep";
    controls_.folder = file;
    AddRows({{1001, "a"}, {1003, "b"}});
    run_.cmdDown_Click();
    EXPECT_TRUE(ui_.messages.shown.empty());
    EXPECT_EQ(controls_.events, (std::vector<std::string>{"started", "failed 1", "failed 2", "ended"}));
    EXPECT_EQ(ReadAll(file), "keep");
    EXPECT_EQ(ui_.songs.RowCount(), 2);
}

TEST_F(DownloadRunTest, FileHostPreparationTakesTheFileIdFromTheAddress) {
    PrepareFileHostDownload(ui_.pump, testing::FileHostUrl("/zh-cn/files/123/"));
    const auto requests = Site().Requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests[0].target, "/zh-cn/files/123/");
    EXPECT_EQ(requests[0].host, std::string("www.") + hosts::kFileHostDomain);
    const std::string cookies = net::CookieStore::Instance().Dump();
    EXPECT_NE(cookies.find("/zh-cn/download/123/\t"), std::string::npos) << cookies;
    EXPECT_NE(cookies.find("ROXCDNKEY"), std::string::npos) << cookies;
}

}  // namespace
}  // namespace tunewell::download
