// SPDX-License-Identifier: GPL-3.0-or-later
// Songs of the demo site that fail their first requests for a passing
// cause, run through the real download run one at a time and side by
// side: with retries they are saved whole (a broken-off one continued from
// its partial), without them they fail as before, a failure that will not
// pass is never tried again, and a pause during the wait ends it at once.
// Also the run's speed limit, measured loosely.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "demo_site/demo_catalogue.h"
#include "support/download_run_fixture.h"

namespace tunewell::download {
namespace {

using Clock = std::chrono::steady_clock;

class RetryRunTest : public testing::DownloadRunTest, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        DownloadRunTest::SetUp();
        config_.Jobs = GetParam();
    }
    // The requests the site got for song `id`'s address.
    std::vector<demo::RecordedRequest> SongRequests(int id) { return RequestsFor("/hostile/song/" + std::to_string(id) + ".mp3"); }
    std::vector<demo::RecordedRequest> RequestsFor(const std::string& target) {
        std::vector<demo::RecordedRequest> found;
        for (const auto& request : Site().Requests()) {
            if (request.target == target) found.push_back(request);
        }
        return found;
    }
    int StatusCount(const std::string& text) const {
        return static_cast<int>(std::count(ui_.status.texts.begin(), ui_.status.texts.end(), text));
    }
};

INSTANTIATE_TEST_SUITE_P(Jobs, RetryRunTest, ::testing::Values(1, 3),
                         [](const auto& info) { return info.param == 1 ? "OneAtATime" : "SideBySide"; });

TEST_P(RetryRunTest, PassingFailuresAreTriedAgainAndTheSongsSavedWhole) {
    using namespace demo;
    config_.Retries = 2;
    AddRow(kSongBusyTwice, "忙过两次");
    AddRow(kSongBusyNoHint, "不说等多久");
    AddRow(kSongCutOnce, "断过一次");
    run_.cmdDown_Click();
    EXPECT_TRUE(controls_.reasons.empty()) << controls_.reasons.front();
    EXPECT_EQ(run_.Succeeded(), 3);
    EXPECT_EQ(ui_.songs.RowCount(), 0);
    EXPECT_TRUE(Read("忙过两次 - 佚名.mp3") == AudioContent(kSongBusyTwice)) << "忙过两次.mp3";
    EXPECT_TRUE(Read("不说等多久 - 佚名.mp3") == AudioContent(kSongBusyNoHint)) << "不说等多久.mp3";
    EXPECT_TRUE(Read("断过一次 - 佚名.mp3") == AudioContent(kSongCutOnce)) << "断过一次.mp3";
    EXPECT_EQ(SongRequests(kSongBusyTwice).size(), 3u);
    EXPECT_EQ(SongRequests(kSongBusyNoHint).size(), 3u);
    // The broken-off song asked only for what it lacked.
    const auto cut = SongRequests(kSongCutOnce);
    ASSERT_EQ(cut.size(), 2u);
    EXPECT_EQ(cut[1].Header("Range"), "bytes=" + std::to_string(kCutOnceBytes) + "-");
    EXPECT_EQ(StatusCount("第1次重试…"), 3);
    EXPECT_EQ(StatusCount("第2次重试…"), 2);
    EXPECT_EQ(StatusCount("第3次重试…"), 0);
}

TEST_P(RetryRunTest, WithoutRetriesAPassingFailureFailsTheSongAsBefore) {
    using namespace demo;
    AddRow(kSongBusyTwice, "忙过两次");
    AddRow(kSongCutOnce, "断过一次");
    run_.cmdDown_Click();
    std::vector<std::string> reasons = controls_.reasons;
    std::sort(reasons.begin(), reasons.end());
    ASSERT_EQ(reasons.size(), 2u);
    EXPECT_EQ(reasons[0], "1 服务器返回HTTP 503");
    EXPECT_EQ(SongRequests(kSongBusyTwice).size(), 1u);
    EXPECT_EQ(SongRequests(kSongCutOnce).size(), 1u);
    EXPECT_EQ(ui_.songs.RowCount(), 2);
    EXPECT_EQ(StatusCount("第1次重试…"), 0);
}

// Retries left over do not outlast the failures: a song busy twice with
// one retry fails with the server's answer.
TEST_P(RetryRunTest, FailuresThatWillNotPassOrOutlastTheRetriesFailWithTheirCause) {
    using namespace demo;
    config_.Retries = 1;
    AddRow(kSongMissing, "不存在");
    AddRow(kSongMaintenancePage, "维护中");
    AddRow(kSongBusyNoHint, "不说等多久");
    run_.cmdDown_Click();
    std::vector<std::string> reasons = controls_.reasons;
    std::sort(reasons.begin(), reasons.end());
    EXPECT_EQ(reasons, (std::vector<std::string>{"1 服务器返回HTTP 404", "2 服务器返回的不是音频文件",
                                                 "3 服务器返回HTTP 503"}));
    EXPECT_EQ(SongRequests(kSongMaintenancePage).size(), 1u);
    EXPECT_EQ(SongRequests(kSongBusyNoHint).size(), 2u);
    EXPECT_EQ(StatusCount("第1次重试…"), 1);
    EXPECT_EQ(StatusCount("第2次重试…"), 0);
    EXPECT_EQ(RequestsFor("/audio/missing/1009.mp3").size(), 1u);
}

TEST_P(RetryRunTest, APauseDuringTheWaitEndsItAtOnce) {
    using namespace demo;
    config_.Retries = 10;
    AddRow(kSongBusyNoHint, "不说等多久");
    bool paused = false;
    ui_.pump.onPump = [&](int) {
        if (!paused && ui_.status.Text() == "第1次重试…") {
            paused = true;
            run_.cmdDown_Click();
        }
    };
    run_.cmdDown_Click();
    EXPECT_TRUE(paused);
    EXPECT_EQ(run_.CurrentState(), DownloadRun::State::Idle);
    EXPECT_EQ(SongRequests(kSongBusyNoHint).size(), 1u);
    // Paused, not failed: the row stays without a mark.
    EXPECT_EQ(ui_.songs.RowCount(), 1);
    EXPECT_EQ(ui_.songs.FailureOf(1), "");
    ASSERT_FALSE(controls_.outcomes.empty());
    EXPECT_EQ(controls_.outcomes.back().failed, 0);
}

// Loose bounds only (the precise rate is a benchmark's): the songs take at
// least most of the time their bytes need at the limit, side by side
// together, not each on its own.
TEST_P(RetryRunTest, TheSpeedLimitHoldsForTheWholeRun) {
    using namespace demo;
    config_.SpeedLimit = 100;  // KB/s
    AddRow(kSongPlain, "一");
    if (GetParam() > 1) AddRow(kSongChunked, "二");
    const double kilobytes = (AudioSize(kSongPlain) + (GetParam() > 1 ? AudioSize(kSongChunked) : 0)) / 1024.0;
    const Clock::time_point start = Clock::now();
    run_.cmdDown_Click();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    EXPECT_EQ(run_.Succeeded(), GetParam() > 1 ? 2 : 1);
    EXPECT_GE(seconds, 0.75 * kilobytes / config_.SpeedLimit);
    EXPECT_TRUE(Read("山间小路 - 林小溪.mp3") == AudioContent(kSongPlain));
}

}  // namespace
}  // namespace tunewell::download
