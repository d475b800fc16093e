// SPDX-License-Identifier: GPL-3.0-or-later
// What a run tells when it is over: the cause when the play page failed,
// the songs saved, handed off and failed, and a list of any size resolved
// page by page.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "demo_site/demo_catalogue.h"
#include "download/play_entries.h"
#include "download/thunder_agent.h"
#include "support/download_run_fixture.h"

namespace tunewell::testing {
namespace {

class RunOutcomeTest : public DownloadRunTest {
protected:
    std::vector<std::string> PlayPageTargets() {
        std::vector<std::string> targets;
        for (const auto& request : Site().Requests()) {
            if (request.target.find("/play.php") != std::string::npos) targets.push_back(request.target);
        }
        return targets;
    }
};

// A play page that fails starts no song: the message box gives its cause
// and every ticked row turns red with it.
TEST_F(RunOutcomeTest, AFailedPlayPageIsToldWithItsCauseOnTheMessageAndTheRows) {
    Options().playStatus = 503;
    AddRows({demo::kSongPlain, demo::kSongChunked});
    run_.cmdDown_Click();
    EXPECT_EQ(ui_.messages.shown, std::vector<std::string>{"分析歌曲地址出错：服务器返回HTTP 503"});
    EXPECT_EQ(ui_.status.Text(), "下载空闲中......");
    ASSERT_EQ(ui_.songs.RowCount(), 2);
    for (int row = 1; row <= 2; ++row) EXPECT_EQ(ui_.songs.FailureOf(row), "服务器返回HTTP 503");
    ASSERT_EQ(controls_.outcomes.size(), 1u);
    EXPECT_EQ(controls_.outcomes[0].failed, 2);
    EXPECT_EQ(controls_.outcomes[0].saved, 0);
    EXPECT_EQ(controls_.outcomes[0].firstFailures.front(), "行" + std::to_string(demo::kSongPlain) + "：服务器返回HTTP 503");

    // The next run that gets its page saves the songs and says nothing.
    Options().playStatus = 200;
    ui_.messages.shown.clear();
    run_.cmdDown_Click();
    EXPECT_TRUE(ui_.messages.shown.empty());
    EXPECT_EQ(ui_.songs.RowCount(), 0);
}

// A download manager that takes every task and notes its file and referer.
class AcceptingAgent : public download::ThunderAgent {
public:
    explicit AcceptingAgent(std::vector<std::pair<std::string, std::string>>& tasks) : tasks_(tasks) {}
    bool AddTask(const std::string&, const std::string& fileName, const std::string&, const std::string&,
                 const std::string& referer, std::int16_t, std::int16_t, std::int16_t) override {
        tasks_.emplace_back(fileName, referer);
        return true;
    }
    bool CommitTasks2(std::int16_t) override { return true; }

private:
    std::vector<std::pair<std::string, std::string>>& tasks_;
};

// More ticked rows than one address can carry are asked page by page, each
// address short enough for a server that refuses long ones; every song goes
// to the manager under its own name, with the page that named it as the
// referer, and its row is marked as handed off.
TEST_F(RunOutcomeTest, AnyNumberOfTickedRowsIsResolvedPageByPage) {
    Options().maxPlayAddressBytes = 2000;
    std::vector<std::pair<std::string, std::string>> tasks;
    download::DownloadRun::Services services{transfer_};
    services.agents = [&] { return std::make_unique<AcceptingAgent>(tasks); };
    services.isRunning = [](const std::string&) { return true; };
    download::DownloadRun run(ui_.ports, controls_, controls_, config_, std::move(services));
    controls_.manager = true;
    constexpr int kRows = 700;
    for (int id = 200000; id < 200000 + kRows; ++id) AddRow(id, "行" + std::to_string(id));
    run.cmdDown_Click();
    EXPECT_TRUE(ui_.messages.shown.empty()) << ui_.messages.shown.front();
    const std::vector<std::string> targets = PlayPageTargets();
    ASSERT_GT(targets.size(), 1u);
    for (const std::string& target : targets) EXPECT_LT(target.size(), 2000u);
    ASSERT_EQ(tasks.size(), static_cast<std::size_t>(kRows));
    for (int k = 0; k < kRows; k += 99) {
        const std::string id = std::to_string(200000 + k);
        const demo::DemoSong song = demo::FindSong(200000 + k);
        EXPECT_EQ(tasks[k].first, song.title + " - " + song.performer + ".mp3");
        EXPECT_NE(tasks[k].second.find(id), std::string::npos) << "the referer names the song's page";
        EXPECT_TRUE(ui_.songs.IsHandedOff(k + 1));
    }
    ASSERT_EQ(controls_.outcomes.size(), 1u);
    EXPECT_EQ(controls_.outcomes[0].handedOff, kRows);
    EXPECT_EQ(controls_.outcomes[0].failed, 0);
}

// The outcome counts the run's own failures with their causes; songs a
// pause stopped have not failed.
TEST_F(RunOutcomeTest, TheOutcomeCountsSavedAndFailedSongsButNotPausedOnes) {
    AddRow(demo::kSongPlain, "山间小路");
    AddRow(demo::kSongMissing, "不在了");
    run_.cmdDown_Click();
    ASSERT_EQ(controls_.outcomes.size(), 1u);
    const ports::RunOutcome& outcome = controls_.outcomes[0];
    EXPECT_EQ(outcome.saved, 1);
    EXPECT_EQ(outcome.failed, 1);
    ASSERT_EQ(outcome.firstFailures.size(), 1u);
    EXPECT_NE(outcome.firstFailures[0].find("：服务器返回HTTP 404"), std::string::npos) << outcome.firstFailures[0];
    EXPECT_TRUE(ui_.messages.shown.empty());  // the front end sums up

    // A pause during the slow song: nothing failed.
    AddRow(demo::kSongSlow, "慢歌");
    ui_.songs.SetChecked(1, false);  // the missing song stays unticked
    int pumps = 0;
    ui_.pump.onPump = [&](int) {
        if (++pumps == 20) run_.cmdDown_Click();
    };
    run_.cmdDown_Click();
    ASSERT_EQ(controls_.outcomes.size(), 2u);
    EXPECT_EQ(controls_.outcomes[1].failed, 0);
    EXPECT_EQ(controls_.outcomes[1].saved, 0);
}

}  // namespace
}  // namespace tunewell::testing
