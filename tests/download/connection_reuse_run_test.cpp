// SPDX-License-Identifier: GPL-3.0-or-later
// A download run pays for one connection: the list pages, the play page,
// the file host's pages and every song go through the connection the first
// request opened. A paused song's connection, abandoned half-read, is
// never handed to the next request.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "catalogue/song_catalogue.h"
#include "demo_site/demo_catalogue.h"
#include "download/download_run.h"
#include "transfer/file_download_fetch.h"
#include "hosts/site_hosts.h"
#include "net/cookie_store.h"
#include "support/download_run_fixture.h"
#include "support/fake_ui.h"
#include "support/site_urls.h"
#include "support/temp_folder.h"
#include "transfer/file_download.h"
#include "text/number.h"

namespace tunewell::download {
namespace {

namespace stdfs = std::filesystem;

class ConnectionReuseRunTest : public testing::DownloadRunTest {
protected:
    void AddRow(int id) { DownloadRunTest::AddRow(id, "row"); }
    std::size_t SavedFiles() const {
        std::size_t count = 0;
        for (const auto& entry : stdfs::directory_iterator(temp_.path())) {
            count += entry.path().filename().string().front() != '.';
        }
        return count;
    }

    catalogue::CatalogueState state_;
};

TEST_F(ConnectionReuseRunTest, PagesFileHostAndSongsShareOneConnection) {
    config_.GetPage = 2;
    catalogue::SongCatalogue(ui_.ports, config_, state_).FetchSongList(testing::MusicUrl("/music/chart/"));
    ASSERT_EQ(ui_.songs.RowCount(), 20);
    for (int row = 1; row <= 20; ++row) ui_.songs.SetChecked(row, true);
    AddRow(demo::kSongFileHost);      // two pages of the file host, then its storage host
    AddRow(demo::kSongHostDotOnly);   // the cdn host
    run_.cmdDown_Click();
    EXPECT_EQ(run_.Succeeded(), 22);
    EXPECT_EQ(SavedFiles(), 22u);
    const auto requests = Site().Requests();
    EXPECT_GE(requests.size(), 2u + 1u + 22u + 2u);  // list pages, play page, songs, file-host pages
    EXPECT_EQ(Site().ConnectionsAccepted(), 1);
}

TEST_F(ConnectionReuseRunTest, APausedSongsConnectionIsNotReused) {
    Options().slowChunkDelayMs = 20;
    AddRow(demo::kSongPlain);
    AddRow(demo::kSongSlow);
    const stdfs::path partial = stdfs::path(temp_.path()) / ".慢慢地走 - 赵清风.mp3.part";
    bool clicked = false;
    ui_.pump.onPump = [&](int) {
        std::error_code none;
        if (!clicked && stdfs::file_size(partial, none) > 0 && !none) {
            clicked = true;
            run_.cmdDown_Click();  // pause, half-way through the slow song
        }
    };
    run_.cmdDown_Click();
    ASSERT_TRUE(clicked);
    const auto beforePause = Site().Requests();
    const long pausedOn = beforePause.back().connection;
    EXPECT_EQ(beforePause.back().target, "/audio/slow/1007.mp3");

    ui_.pump.onPump = nullptr;
    Options().slowChunkDelayMs = 0;
    Site().ClearRequests();
    run_.cmdDown_Click();  // the play page, then the rest of the slow song
    const auto afterPause = Site().Requests();
    ASSERT_EQ(afterPause.size(), 2u);
    EXPECT_NE(afterPause[0].connection, pausedOn);
    EXPECT_EQ(afterPause[1].connection, afterPause[0].connection);
    EXPECT_NE(afterPause[1].Header("Range"), "");
    EXPECT_EQ(testing::ReadBytes((stdfs::path(temp_.path()) / "慢慢地走 - 赵清风.mp3").string()),
              demo::AudioContent(demo::kSongSlow));
    EXPECT_EQ(Site().ConnectionsAccepted(), 2);
}

}  // namespace
}  // namespace tunewell::download
