// SPDX-License-Identifier: GPL-3.0-or-later
// Song addresses of the demo site that answer with no song, with a song
// that lies about its length, or with more than the disk can take, run
// through the real download run one song at a time and three side by side:
// each fails with its cause and leaves nothing under its name, the partial
// included, and a full disk ends the run instead of failing every song.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "demo_site/demo_catalogue.h"
#include "download/download_run.h"
#include "download/failure_text.h"
#include "transfer/file_download_fetch.h"
#include "hosts/site_hosts.h"
#include "net/cookie_store.h"
#include "support/download_run_fixture.h"
#include "support/fake_ui.h"
#include "support/site_urls.h"
#include "support/temp_folder.h"
#include "transfer/file_download.h"
#include "transfer/partial_files.h"
#include "transfer/resume_record.h"
#include "text/number.h"
#include "web/raw_http_server.h"

namespace tunewell::download {
namespace {

namespace stdfs = std::filesystem;

// The parameter is Jobs: 1 runs the songs one after another through the
// window's transfer object, 3 side by side through a batch.
class HostileReplyRunTest : public testing::DownloadRunTest, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        DownloadRunTest::SetUp();
        config_.Jobs = GetParam();
    }
    std::set<std::string> Reasons() const { return {controls_.reasons.begin(), controls_.reasons.end()}; }
    // The row of song `id`'s failure mark; "(gone)" when its row left.
    std::string MarkOf(int id) const {
        for (int row = 1; row <= ui_.songs.RowCount(); ++row) {
            if (ui_.songs.Tag(row) == id) return ui_.songs.FailureOf(row);
        }
        return "(gone)";
    }
    // What a transfer interrupted earlier left of song `id` under `name`:
    // its first `kept` bytes and its record.
    void LeavePartial(int id, const std::string& name, std::size_t kept) {
        LeavePartial(id, name, demo::AudioContent(id).substr(0, kept), static_cast<std::int64_t>(demo::AudioSize(id)));
    }
    // The same with `bytes` of a song of `total` bytes that its address no
    // longer gives.
    void LeavePartial(int id, const std::string& name, const std::string& bytes, std::int64_t total) {
        const std::string partial = transfer::PartialPathFor(temp_.File(name));
        testing::WriteBytes(partial, bytes);
        const std::string source = testing::MusicUrl("/hostile/song/" + std::to_string(id) + ".mp3");
        ASSERT_TRUE(transfer::WriteResumeRecord(transfer::PartialRecordPath(partial),
                                                {source, name, "\"hostile-" + std::to_string(id) + "\"", "", total}));
    }
};

INSTANTIATE_TEST_SUITE_P(Jobs, HostileReplyRunTest, ::testing::Values(1, 3),
                         [](const auto& info) { return info.param == 1 ? "OneAtATime" : "SideBySide"; });

TEST_P(HostileReplyRunTest, RepliesThatAreNoSongFailWithTheirCauseAndLeaveNothing) {
    using namespace demo;
    // An earlier song of the same name stays as it was.
    testing::WriteBytes(temp_.File("不存在的歌 - 佚名.mp3"), "older");
    AddRows({kSongMaintenancePage, kSongNotFoundPage, kSongNoContent, kSongMovedNowhere, kSongChoices,
             kSongRedirectLoop, kSongNotModified, kSongEmpty, kSongTypedAsPage, kSongPlain});
    run_.cmdDown_Click();
    EXPECT_EQ(Reasons(), (std::set<std::string>{"1 服务器返回的不是音频文件", "2 服务器返回的不是音频文件",
                                                "3 服务器返回HTTP 204", "4 服务器返回HTTP 302", "5 服务器返回HTTP 300",
                                                "6 服务器返回HTTP 302", "7 服务器返回HTTP 304",
                                                "8 服务器返回的文件是空的"}));
    EXPECT_EQ(MarkOf(kSongNotFoundPage), "服务器返回的不是音频文件");
    EXPECT_EQ(MarkOf(kSongNoContent), "服务器返回HTTP 204");
    EXPECT_EQ(ui_.songs.RowCount(), 8);
    EXPECT_EQ(run_.Succeeded(), 2);
    // Nothing hidden either: the page with an entity tag would have left a
    // partial to resume.
    EXPECT_EQ(FileNames(), (std::set<std::string>{"不存在的歌 - 佚名.mp3", "网页类型的歌 - 佚名.mp3", "山间小路 - 林小溪.mp3"}));
    EXPECT_EQ(Read("不存在的歌 - 佚名.mp3"), "older");
    // A song sent as an HTML page is still a song.
    EXPECT_EQ(Read("网页类型的歌 - 佚名.mp3"), AudioContent(kSongTypedAsPage));
    EXPECT_EQ(Read("山间小路 - 林小溪.mp3"), AudioContent(kSongPlain));
    EXPECT_TRUE(ui_.messages.shown.empty());
}

// A song continued from an earlier partial whose address now answers with
// a 3xx that is not followed: the reply's page is never added to the
// partial, nothing is saved under the song's name, and the partial goes
// with the failure, never to be continued again.
TEST_P(HostileReplyRunTest, ARedirectNotFollowedEndsAContinuedSongAndItsPartial) {
    using namespace demo;
    const std::vector<std::pair<int, std::string>> songs = {{kSongMovedNowhere, "无处可去 - 佚名.mp3"},
                                                            {kSongChoices, "多种选择 - 佚名.mp3"},
                                                            {kSongRedirectLoop, "绕圈子 - 佚名.mp3"},
                                                            {kSongNotModified, "未修改 - 佚名.mp3"}};
    std::vector<int> ids;
    for (const auto& [id, name] : songs) {
        LeavePartial(id, name, std::string(1000, 'x'), 60000);
        ids.push_back(id);
    }
    AddRows(ids);
    run_.cmdDown_Click();
    EXPECT_EQ(Reasons(), (std::set<std::string>{"1 服务器返回HTTP 302", "2 服务器返回HTTP 300", "3 服务器返回HTTP 302",
                                                "4 服务器返回HTTP 304"}));
    EXPECT_EQ(FileNames(), std::set<std::string>{});
    int continued = 0;
    for (const auto& request : Site().RequestsFor(hosts::kMusicHost)) {
        continued += request.target.starts_with("/hostile/song/") && request.Header("Range") == "bytes=1000-";
    }
    EXPECT_GE(continued, 4);  // each partial was offered for continuing
}

// A resumed song's 206 must end where the song ends. One that announces
// more than its range is fetched again whole; one whose body runs past its
// range fails, and its partial goes so that the next run starts it over;
// one that ends early fails as a broken connection, keeping what arrived.
// Never a file longer or shorter than the song.
TEST_P(HostileReplyRunTest, AResumedRangeMustEndWhereTheSongEnds) {
    using namespace demo;
    const std::string announced = "多报的一段 - 佚名.mp3";
    const std::string overrun = "跑过头的一段 - 佚名.mp3";
    const std::string shortened = "缺了尾巴 - 佚名.mp3";
    LeavePartial(kSongLongRange, announced, 30000);
    LeavePartial(kSongOverrunRange, overrun, 30000);
    LeavePartial(kSongShortRange, shortened, 30000);
    AddRows({kSongLongRange, kSongOverrunRange, kSongShortRange});
    run_.cmdDown_Click();
    EXPECT_EQ(Reasons(), (std::set<std::string>{"2 服务器返回的数据超出了文件长度", "3 网络连接失败"}));
    const std::string shortPartial = "." + shortened + ".part";
    EXPECT_EQ(FileNames(), (std::set<std::string>{announced, shortPartial, shortPartial + ".info"}));
    EXPECT_EQ(Read(announced), AudioContent(kSongLongRange));
    EXPECT_EQ(Read(shortPartial), AudioContent(kSongShortRange).substr(0, 59000));
    std::vector<std::string> ranges;
    for (const auto& request : Site().RequestsFor(hosts::kMusicHost)) {
        if (request.target == "/hostile/song/1059.mp3") ranges.push_back(request.Header("Range"));
    }
    EXPECT_EQ(ranges, (std::vector<std::string>{"bytes=30000-", ""}));

    controls_.reasons.clear();
    ui_.songs.SetChecked(2, false);  // the short one would only fail again
    run_.cmdDown_Click();
    EXPECT_TRUE(controls_.reasons.empty());
    EXPECT_EQ(Read(overrun), AudioContent(kSongOverrunRange));
    EXPECT_EQ(FileNames(), (std::set<std::string>{announced, overrun, shortPartial, shortPartial + ".info"}));
}

// On a disk of 1 MiB the 32 MiB song fails at once, before a byte is
// written, leaves no partial, and the run stops there with one message.
// Side by side, the songs in flight beside it are stopped as by a pause.
TEST_P(HostileReplyRunTest, ASongTooLargeForTheDiskStopsTheRunAndLeavesNoPartial) {
    using namespace demo;
    const transfer::FreeSpaceProbe smallDisk = [this](const std::string& folder) {
        EXPECT_EQ(stdfs::equivalent(folder, temp_.path()), true) << folder;
        return std::optional<std::int64_t>(1 << 20);
    };
    fileDownload_.SetFreeSpaceProbe(smallDisk);
    DownloadRun run(ui_.ports, controls_, controls_, config_,
                    DownloadRun::Services{transfer_, nullptr, nullptr, {}, nullptr, smallDisk});
    Options().slowChunkDelayMs = 20;  // the slow songs take over a second
    AddRows({kSongSlow, kSongLarge, kSongSlow, kSongShortTitle, kSongPlain});
    run.cmdDown_Click();
    EXPECT_EQ(ui_.messages.shown, std::vector<std::string>{kDiskFullStopText});
    EXPECT_EQ(MarkOf(kSongLarge), kDiskFullText);
    // The songs after it never started, and nothing marks them.
    EXPECT_EQ(MarkOf(kSongShortTitle), "");
    EXPECT_EQ(MarkOf(kSongPlain), "");
    EXPECT_TRUE(ui_.songs.IsChecked(ui_.songs.RowCount()));
    const auto requests = Site().RequestsFor(hosts::kMusicHost);
    EXPECT_TRUE(std::none_of(requests.begin(), requests.end(), [](const auto& request) {
        return request.target == "/audio/1003.mp3" || request.target == "/audio/1001.mp3";
    }));
    const std::string slow = "慢慢地走 - 赵清风.mp3";
    const std::string slow2 = "慢慢地走 - 赵清风 (2).mp3";  // the second row of the same song
    if (GetParam() == 1) {
        EXPECT_EQ(controls_.events, (std::vector<std::string>{"started", "saved 1", "failed 2", "ended"}));
        EXPECT_EQ(FileNames(), std::set<std::string>{slow});
        EXPECT_EQ(ui_.songs.RowCount(), 3);  // both rows of the saved song went
    } else {
        EXPECT_EQ(Reasons(), (std::set<std::string>{"2 磁盘空间不足", "1 下载已中止", "3 下载已中止"}));
        EXPECT_EQ(MarkOf(kSongSlow), "");
        EXPECT_EQ(ui_.songs.RowCount(), 5);
        // What they had received waits for the next run (a song stopped
        // before its first byte leaves nothing).
        for (const std::string& name : FileNames()) {
            EXPECT_TRUE(name.starts_with("." + slow + ".part") || name.starts_with("." + slow2 + ".part")) << name;
        }
    }
    EXPECT_EQ(ui_.status.Text(), "下载空闲中......");
}

// The disk really fills up while a song arrives whose length looked fine
// (others wrote meanwhile): the song leaves no partial although its reply
// could be resumed, and the run stops there. Runs in a child process with
// a private mount namespace whose save folder is a 64 KiB tmpfs, so the
// real disk is never touched; needs root, skipped otherwise.
constexpr int kNoSmallDisk = 77;

void RunOnSmallDisk(const std::string& disk) {
    testing::ScopedDemoSite site;
    testing::FakeUi ui;
    testing::RecordingRun controls;
    controls.folder = disk;
    session::Session session(testing::FrontEndOf(ui), testing::InFolder(disk));
    session.FileDownload().SetFreeSpaceProbe(
        [](const std::string&) { return std::optional<std::int64_t>(std::int64_t{1} << 40); });
    DownloadRun& run = session.OpenRun(controls, controls);
    for (int id : {demo::kSongPlain, demo::kSongShortTitle}) {
        ui.songs.AddRow(ui.songs.RowCount() + 1, id, std::to_string(id), "行");
        ui.songs.SetChecked(ui.songs.RowCount(), true);
    }
    run.cmdDown_Click();
    EXPECT_EQ(controls.reasons, std::vector<std::string>{"1 磁盘空间不足"});
    EXPECT_EQ(ui.messages.shown, std::vector<std::string>{kDiskFullStopText});
    EXPECT_TRUE(stdfs::is_empty(disk));
    EXPECT_EQ(site.Site().RequestsFor(hosts::kMusicHost).size(), 1u);  // the second song was not asked for
}

TEST(HostileReplyOnASmallDisk, ASongThatRunsOutOfSpaceLeavesNoPartialAndStopsTheRun) {
    testing::TempFolder temp;
    const std::string disk = temp.File("disk");
    ASSERT_TRUE(stdfs::create_directory(disk));
    std::fflush(nullptr);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const bool mounted = ::unshare(CLONE_NEWNS) == 0 &&
                             ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                             ::mount("tunewell-test", disk.c_str(), "tmpfs", 0, "size=64k") == 0;
        if (mounted) RunOnSmallDisk(disk);
        std::fflush(nullptr);
        ::_exit(!mounted ? kNoSmallDisk : ::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == kNoSmallDisk) GTEST_SKIP() << "no private tmpfs here (needs root)";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the run on the small disk failed: see its output above";
}

// libcurl ends a body at its Content-Length: the bytes a server sends
// beyond it never reach the file.
TEST(HostileReply, ABodyLongerThanItsLengthIsCutAtTheLength) {
    web::testing::RawHttpServer server(
        "HTTP/1.1 200 OK\r\nContent-Type: audio/mpeg\r\nContent-Length: 10\r\nConnection: close\r\n\r\n"
        "0123456789 and then some more bytes");
    testing::TempFolder temp;
    transfer::CFileDownload download;
    ASSERT_TRUE(download.StartDownloading("http://127.0.0.1:" + std::to_string(server.Port()) + "/a.mp3",
                                          temp.File("a.mp3")));
    EXPECT_EQ(testing::ReadBytes(temp.File("a.mp3")), "0123456789");
}

}  // namespace
}  // namespace tunewell::download
