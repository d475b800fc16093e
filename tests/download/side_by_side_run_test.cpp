// SPDX-License-Identifier: GPL-3.0-or-later
// A run with Jobs 3: up to three songs at a time, each finished song leaves
// the list as it ends, one failing song touches nothing else, a pause
// aborts every song in flight and keeps its bytes, and the next run
// continues them; names never collide.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "demo_site/demo_catalogue.h"
#include "download/download_run.h"
#include "transfer/file_download_fetch.h"
#include "net/cookie_store.h"
#include "support/download_run_fixture.h"
#include "support/fake_ui.h"
#include "support/temp_folder.h"
#include "transfer/file_download.h"
#include "text/number.h"

namespace tunewell::download {
namespace {

namespace stdfs = std::filesystem;

class SideBySideRunTest : public testing::DownloadRunTest {
protected:
    void SetUp() override {
        DownloadRunTest::SetUp();
        config_.Jobs = 3;
    }
    // Every song takes a good part of a second, so several are in flight
    // together.
    demo::LinkShape Link() const override {
        demo::LinkShape link;
        link.connectionBytesPerSecond = 400 * 1024;
        return link;
    }
    std::set<std::string> Files(bool partials) const {
        std::set<std::string> names;
        for (const std::string& name : FileNames()) {
            if ((name.front() == '.') == partials) names.insert(name);
        }
        return names;
    }
    std::size_t PartialsInFlight() const {
        std::size_t count = 0;
        for (const std::string& name : Files(true)) count += name.ends_with(".part");
        return count;
    }
};

TEST_F(SideBySideRunTest, AFailingSongAPauseAndAResumeLoseNothing) {
    AddRows({demo::kSongPlain, demo::kSongMissing, demo::kSongSlow, demo::kSongShortTitle, demo::kSongChunked,
             demo::kSongUpperExtension, demo::kSongIllegalName});
    const std::string slowName = "慢慢地走 - 赵清风.mp3";
    std::size_t mostInFlight = 0;
    bool paused = false;
    ui_.pump.onPump = [&](int) {
        const std::size_t inFlight = PartialsInFlight();
        mostInFlight = std::max(mostInFlight, inFlight);
        // Pause with three songs in flight, once two have ended (the
        // missing one among them).
        if (!paused && controls_.Count("saved") + controls_.Count("failed") >= 2 && inFlight == 3) {
            paused = true;
            run_.cmdDown_Click();
        }
    };
    run_.cmdDown_Click();
    ASSERT_TRUE(paused);
    EXPECT_EQ(mostInFlight, 3u);
    EXPECT_EQ(controls_.events.back(), "ended");
    EXPECT_EQ(std::count(controls_.events.begin(), controls_.events.end(), "paused"), 1);
    EXPECT_EQ(std::count(controls_.reasons.begin(), controls_.reasons.end(), "2 服务器返回HTTP 404"), 1);
    // The three songs in flight failed at the pause, kept their rows
    // (unmarked) and left no file under their names; no song started after.
    const auto pausedAt = std::find(controls_.events.begin(), controls_.events.end(), "paused");
    EXPECT_EQ(std::count_if(pausedAt, controls_.events.end(),
                            [](const std::string& event) { return event.starts_with("failed"); }),
              3);
    EXPECT_EQ(std::count_if(pausedAt, controls_.events.end(),
                            [](const std::string& event) { return event.starts_with("saved"); }),
              0);
    const int rowsAfterPause = ui_.songs.RowCount();
    EXPECT_GE(rowsAfterPause, 4);  // the missing song and the three paused ones at least
    EXPECT_FALSE(Files(true).empty());  // partials kept for resuming

    ui_.pump.onPump = [&](int) { mostInFlight = std::max(mostInFlight, PartialsInFlight()); };
    Site().ClearRequests();
    controls_.events.clear();
    run_.cmdDown_Click();
    EXPECT_LE(mostInFlight, 3u);
    EXPECT_EQ(controls_.Count("saved"), rowsAfterPause - 1);
    EXPECT_EQ(controls_.Count("failed"), 1);  // the missing song, again
    ASSERT_EQ(ui_.songs.RowCount(), 1);
    EXPECT_EQ(ui_.songs.Tag(1), demo::kSongMissing);
    // What had arrived before the pause was asked for no more.
    const auto requests = Site().Requests();
    EXPECT_GE(std::count_if(requests.begin(), requests.end(),
                            [](const auto& request) { return request.Header("Range").starts_with("bytes="); }),
              1);

    // Every song under its own name, whole, and nothing half-done left.
    EXPECT_EQ(Files(false), (std::set<std::string>{"山间小路 - 林小溪.mp3", slowName, "行1003.mp3",
                                                   "Vol2 Live - Blue Lake乐队.mp3", "大写扩展名 - 吴天.mp3",
                                                   "春夏秋冬 ABCDEF - 周晓明.mp3"}));
    EXPECT_TRUE(Files(true).empty());
    EXPECT_EQ(Read("山间小路 - 林小溪.mp3"), demo::AudioContent(demo::kSongPlain));
    EXPECT_EQ(Read(slowName), demo::AudioContent(demo::kSongSlow));
    EXPECT_EQ(Read("Vol2 Live - Blue Lake乐队.mp3"), demo::AudioContent(demo::kSongChunked));
}

TEST_F(SideBySideRunTest, EachSongEndsInItsOwnOrderAndNamesNeverCollide) {
    Options().slowChunkDelayMs = 10;
    // The plain song twice: one title, so the second in flight beside the
    // first is saved as "... (2)".
    AddRows({demo::kSongSlow, demo::kSongPlain, demo::kSongChunked, demo::kSongShortTitle, demo::kSongPlain});
    std::vector<int> percents;
    int rowsWhenPlainEnded = -1;
    ui_.pump.onPump = [&](int) {
        percents.push_back(controls_.percent);
        if (rowsWhenPlainEnded < 0 && controls_.Count("saved 2") == 1) rowsWhenPlainEnded = ui_.songs.RowCount();
    };
    run_.cmdDown_Click();
    EXPECT_EQ(run_.Succeeded(), 5);
    EXPECT_EQ(Read("山间小路 - 林小溪.mp3"), demo::AudioContent(demo::kSongPlain));
    EXPECT_EQ(Read("山间小路 - 林小溪 (2).mp3"), demo::AudioContent(demo::kSongPlain));
    EXPECT_EQ(ui_.songs.RowCount(), 0);
    // The plain song, second in the list, ended before the slow first one
    // and left the list at once (both its rows).
    const auto at = [&](const std::string& event) {
        return std::find(controls_.events.begin(), controls_.events.end(), event) - controls_.events.begin();
    };
    EXPECT_LT(at("saved 2"), at("saved 1"));
    EXPECT_EQ(rowsWhenPlainEnded, 3);
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_GT(percents.back(), 50);
    EXPECT_EQ(ui_.status.Text(), "下载空闲中......");
}

}  // namespace
}  // namespace tunewell::download
