#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "download/aria2_agent.h"
#include "download/download_run.h"
#include "download/file_download_transfer.h"
#include "transfer/file_download.h"
#include "hosts/site_hosts.h"
#include "support/demo_site_fixture.h"
#include "support/fake_ui.h"
#include "net/cookie_store.h"
#include "web/number.h"

namespace tunewell::download {
namespace {

namespace stdfs = std::filesystem;

class FakeControls : public ports::DownloadControls, public ports::ProgressBar {
public:
    std::string ButtonTag() const override { return tag; }
    void SetButtonTag(const std::string& value) override { tag = value; }
    void SetButtonCaption(const std::string& value) override { caption = value; }
    bool UseDownloadManager() const override { return manager; }
    std::string SavePathText() const override { return folder; }
    void SetValue(int percent) override { value = percent; }
    void SetText(const std::string& text) override { texts.push_back(text); }

    std::string tag = "0", caption = "开始下载", folder;
    bool manager = false;
    int value = 0;
    std::vector<std::string> texts;
};

std::string ReadAll(const stdfs::path& path) {
    std::stringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

class DownloadRunTest : public testing::DemoSiteTest {
protected:
    void SetUp() override {
        DemoSiteTest::SetUp();
        folder_ = stdfs::temp_directory_path() / ("tw-run-" + std::to_string(::getpid()));
        stdfs::remove_all(folder_);
        stdfs::create_directories(folder_);
        controls_.folder = folder_.string();
        fileDownload_.SetEventPump([this] { ui_.pump.ProcessPending(); });
        fileDownload_.OnProgress = [this](std::int64_t bytes, std::int64_t total, std::int32_t,
                                          std::int32_t, const std::string&) {
            run_.ShowProgress(bytes, total);
        };
        net::CookieStore::Instance().Clear();
    }
    void TearDown() override {
        stdfs::remove_all(folder_);
        DemoSiteTest::TearDown();
    }
    void AddRows(const std::vector<std::pair<double, std::string>>& rows, bool ticked = true) {
        for (const auto& [id, name] : rows) {
            ui_.songs.AddRow(ui_.songs.RowCount() + 1, id, web::Number{web::Number::Kind::Int32, id}.ToText(), name);
            ui_.songs.SetChecked(ui_.songs.RowCount(), ticked);
        }
    }
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& entry : stdfs::directory_iterator(folder_)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    stdfs::path folder_;
    testing::FakeUi ui_;
    FakeControls controls_;
    settings::Config config_;
    transfer::CFileDownload fileDownload_;
    FileDownloadTransfer transfer_{fileDownload_};
    DownloadRun run_{ui_.ports, controls_, controls_, config_, DownloadRun::Services{transfer_}};
};

TEST_F(DownloadRunTest, SavesUnderBuiltNamesAndRemovesFinishedRows) {
    config_.AddID = 1;
    AddRows({{1001, "a"}, {1002, "b"}, {1003, "行名"}, {1005, "d"}, {1008, "e"}, {1010, "f"}});
    AddRows({{1001, "duplicate id, unticked"}}, false);
    run_.cmdDown_Click();
    EXPECT_EQ(Files(), (std::vector<std::string>{
                           "01.山间小路 - 林小溪.mp3", "02.春夏秋冬 ABCDEF - 周晓明.mp3", "03.行名.mp3",
                           "04.Vol2 Live - Blue Lake乐队.mp3", "05.流动的声音 - 孙小雅.mp3",
                           "06.大写扩展名 - 吴天.mp3?x=1"}));
    EXPECT_EQ(ReadAll(folder_ / "01.山间小路 - 林小溪.mp3"), demo::AudioContent(1001));
    EXPECT_EQ(ReadAll(folder_ / "04.Vol2 Live - Blue Lake乐队.mp3"), demo::AudioContent(1005));  // no length
    EXPECT_EQ(ui_.songs.RowCount(), 0);  // the duplicate id went with its song
    EXPECT_EQ(run_.Succeeded(), 6);
    EXPECT_EQ(ui_.status.Text(), "下载空闲中......");
    EXPECT_EQ(controls_.texts.back(), "下载进度0%");
    EXPECT_EQ(controls_.tag, "0");
    EXPECT_EQ(controls_.caption, "开始下载");
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
    EXPECT_NE(std::find(controls_.texts.begin(), controls_.texts.end(), "下载失败"), controls_.texts.end());
    EXPECT_EQ(run_.Failed(), 1);
    EXPECT_EQ(Files().size(), 2u);  // no temporary left behind
}

TEST_F(DownloadRunTest, PauseDuringTheThirdTransferAndResume) {
    Options().slowChunkDelayMs = 20;
    AddRows({{1001, "1"}, {1003, "2"}, {1007, "3"}, {1008, "4"}, {1010, "5"}});
    // Click the button again once the third (slow) song is under way.
    bool clicked = false;
    ui_.pump.onPump = [&](int) {
        if (!clicked && controls_.value >= 5 && ui_.status.Text().find("慢慢地走") != std::string::npos) {
            clicked = true;
            run_.cmdDown_Click();
        }
    };
    run_.cmdDown_Click();
    ASSERT_TRUE(clicked);
    EXPECT_EQ(ui_.songs.RowCount(), 3);
    EXPECT_EQ(ui_.songs.Tag(1), 1007);  // the paused song keeps its row
    EXPECT_EQ(Files().size(), 2u);      // no fourth song started
    EXPECT_EQ(controls_.tag, "0");

    ui_.pump.onPump = nullptr;
    Options().slowChunkDelayMs = 0;
    Site().ClearRequests();
    run_.cmdDown_Click();
    EXPECT_EQ(Site().RequestsFor(std::string("www.") + hosts::kMusicHost)[0].target, "/play.php?song_id=1007,1008,1010");
    EXPECT_EQ(ui_.songs.RowCount(), 0);
    EXPECT_EQ(Files().size(), 5u);
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
    EXPECT_EQ(std::count(controls_.texts.begin(), controls_.texts.end(), "下载失败"), 2);
    EXPECT_EQ(ui_.songs.RowCount(), 2);  // handed-off rows stay
    EXPECT_TRUE(Files().empty());
}

// A real aria2c on loopback receives the tasks and fetches the files
// through the demo site.
TEST_F(DownloadRunTest, RealAria2ReceivesTheTasks) {
    if (std::system("command -v aria2c >/dev/null 2>&1") != 0) GTEST_SKIP() << "aria2c not installed";
    const int port = 16800 + ::getpid() % 1000;
    // Started directly, so the test knows its id and ends only it.
    const std::vector<std::string> arguments = {
        "aria2c", "--enable-rpc", "--rpc-listen-port=" + std::to_string(port), "--rpc-listen-all=false",
        "--no-conf", "--quiet", "--stop-with-process=" + std::to_string(::getpid()),
        "--all-proxy=" + Site().ProxyUrl(), "--dir=" + folder_.string()};
    const pid_t aria2 = ::fork();
    if (aria2 == 0) {
        std::vector<char*> argv;
        for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        ::execvp("aria2c", argv.data());
        ::_exit(127);
    }
    ASSERT_GT(aria2, 0);
    const std::string endpoint = "http://127.0.0.1:" + std::to_string(port) + "/jsonrpc";

    controls_.manager = true;
    DownloadRun managerRun(ui_.ports, controls_, controls_, config_,
                           DownloadRun::Services{transfer_, [&] { return std::make_unique<Aria2Agent>(endpoint); },
                                                 [](const std::string&) { return true; }});
    AddRows({{1001, "a"}, {1010, "b"}});
    bool accepted = false;
    for (int attempt = 0; attempt < 50 && !accepted; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        accepted = Aria2Agent(endpoint).CommitTasks2(1);  // empty queue: probes the endpoint
        if (accepted) managerRun.cmdDown_Click();
    }
    ASSERT_TRUE(accepted);
    EXPECT_EQ(managerRun.Succeeded(), 2);
    for (int wait = 0; wait < 100 && Files().size() < 2; ++wait) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ::kill(aria2, SIGTERM);
    ::waitpid(aria2, nullptr, 0);
    EXPECT_EQ(ReadAll(folder_ / "山间小路 - 林小溪.mp3"), demo::AudioContent(1001));
    EXPECT_EQ(ReadAll(folder_ / "大写扩展名 - 吴天.mp3?x=1"), demo::AudioContent(1010));
}

}  // namespace
}  // namespace tunewell::download
