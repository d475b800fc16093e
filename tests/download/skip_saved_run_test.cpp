// SPDX-License-Identifier: GPL-3.0-or-later
// Runs against the demo site that record what they save, and with
// SkipSaved leave out what an earlier run saved and is still there.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "demo_site/demo_catalogue.h"
#include "download/saved_songs.h"
#include "session/session.h"
#include "support/download_run_fixture.h"
#include "support/site_urls.h"

namespace tunewell::testing {
namespace {

namespace stdfs = std::filesystem;

class SkipSavedRunTest : public DownloadRunTest {
protected:
    // Every request but the play page's fetches a song here.
    std::size_t AudioRequests() const { return site().Requests().size() - PlayRequests(); }
    std::size_t PlayRequests() const {
        std::size_t count = 0;
        for (const auto& request : site().Requests()) count += request.target.find("/play.php") != std::string::npos;
        return count;
    }
    demo::DemoSite& site() const { return const_cast<SkipSavedRunTest*>(this)->Site(); }
    std::string RecordPath() const { return program_.File(session::kSavedSongsFileName); }
    // The run's events since the last call.
    std::vector<std::string> Events() { return std::exchange(controls_.events, {}); }
};

TEST_F(SkipSavedRunTest, ASecondRunSkipsWhatTheFirstSavedOnlyWithSkipSaved) {
    AddRows({demo::kSongPlain, demo::kSongChunked});
    run_.cmdDown_Click();
    ASSERT_EQ(run_.Succeeded(), 2);
    download::SavedSongs record(RecordPath());
    record.Load();
    EXPECT_EQ(record.Count(), 2u);
    ASSERT_TRUE(record.StillSaved(std::to_string(demo::kSongPlain)));
    EXPECT_EQ(stdfs::path(record.StillSaved(std::to_string(demo::kSongPlain))->path).parent_path(),
              stdfs::path(temp_.path()));

    // SkipSaved: neither the play page nor the songs are asked for.
    config_.SkipSaved = 1;
    Site().ClearRequests();
    Events();
    AddRows({demo::kSongPlain, demo::kSongChunked});
    run_.cmdDown_Click();
    EXPECT_EQ(AudioRequests(), 0u);
    EXPECT_EQ(PlayRequests(), 0u);
    EXPECT_EQ(Events(), (std::vector<std::string>{"started", "skipped 1", "skipped 2", "ended"}));
    EXPECT_EQ(ui_.songs.RowCount(), 0);
    EXPECT_EQ(run_.Succeeded(), 2);
    ASSERT_EQ(controls_.outcomes.size(), 2u);
    EXPECT_EQ(controls_.outcomes[1].skipped, 2);
    EXPECT_EQ(controls_.outcomes[1].saved, 0);

    // Without it the songs are fetched again, as ever.
    config_.SkipSaved = 0;
    Site().ClearRequests();
    AddRows({demo::kSongPlain, demo::kSongChunked});
    run_.cmdDown_Click();
    EXPECT_EQ(AudioRequests(), 2u);
    EXPECT_EQ(Events(), (std::vector<std::string>{"started", "saved 1", "saved 2", "ended"}));
}

// Songs saved before sit among new ones: each keeps its place, a file that
// changed since is fetched again, and side by side it is the same.
TEST_F(SkipSavedRunTest, SavedSongsAmongNewOnesKeepTheirPlaces) {
    AddRows({demo::kSongPlain, demo::kSongChunked});
    run_.cmdDown_Click();
    ASSERT_EQ(run_.Succeeded(), 2);
    download::SavedSongs record(RecordPath());
    record.Load();
    const std::string chunked = record.StillSaved(std::to_string(demo::kSongChunked))->path;
    WriteBytes(chunked, "edited");  // no longer the song saved

    config_.SkipSaved = 1;
    for (const int jobs : {1, 3}) {
        config_.Jobs = static_cast<std::int16_t>(jobs);
        Events();
        Site().ClearRequests();
        if (jobs == 1) AddRows({demo::kSongShortTitle, demo::kSongPlain, demo::kSongUpperExtension});
        if (jobs == 3) AddRows({demo::kSongHostDotOnly, demo::kSongPlain, demo::kSongIllegalName});
        run_.cmdDown_Click();
        const std::vector<std::string> events = Events();
        EXPECT_EQ(std::count(events.begin(), events.end(), "skipped 2"), 1) << jobs;
        EXPECT_EQ(std::count(events.begin(), events.end(), "saved 1"), 1) << jobs;
        EXPECT_EQ(std::count(events.begin(), events.end(), "saved 3"), 1) << jobs;
        EXPECT_EQ(AudioRequests(), 2u) << jobs;
        EXPECT_EQ(ui_.songs.RowCount(), 0) << jobs;
    }
    Site().ClearRequests();
    AddRows({demo::kSongChunked});
    run_.cmdDown_Click();
    EXPECT_EQ(AudioRequests(), 1u);
    EXPECT_EQ(ReadBytes(chunked), demo::AudioContent(demo::kSongChunked));
}

// The list shows the songs saved before (grey in the window) only with
// SkipSaved.
TEST_F(SkipSavedRunTest, TheListMarksSavedSongsWithSkipSaved) {
    config_.GetPage = 1;
    const auto fetchMarked = [this] {
        session_.FetchList(MusicUrl("/music/chart/"), temp_.path(), std::nullopt);
        std::vector<int> marked;
        for (int row = 1; row <= ui_.songs.RowCount(); ++row) {
            if (ui_.songs.IsSaved(row)) marked.push_back(static_cast<int>(ui_.songs.Tag(row)));
        }
        return marked;
    };
    ASSERT_TRUE(fetchMarked().empty());
    ASSERT_GE(ui_.songs.RowCount(), 2);
    const int second = static_cast<int>(ui_.songs.Tag(2));
    ui_.songs.SetChecked(2, true);
    run_.cmdDown_Click();
    ASSERT_EQ(run_.Succeeded(), 1);
    EXPECT_TRUE(fetchMarked().empty());
    config_.SkipSaved = 1;
    EXPECT_EQ(fetchMarked(), std::vector<int>{second});
}

}  // namespace
}  // namespace tunewell::testing
