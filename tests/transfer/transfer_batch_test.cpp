// SPDX-License-Identifier: GPL-3.0-or-later
// Songs side by side on one thread: each ends on its own, a failure
// touches only its song, an abort from inside the events ends them all with
// their partials kept, and the events keep coming while bytes flow.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "demo_site/demo_catalogue.h"
#include "support/demo_site_fixture.h"
#include "support/site_urls.h"
#include "support/temp_folder.h"
#include "support/transfer_pump.h"
#include "transfer/partial_files.h"
#include "transfer/transfer_batch.h"

namespace tunewell::transfer {
namespace {

namespace stdfs = std::filesystem;
using testing::MusicUrl;

std::string Audio(int id, const std::string& mode = "") {
    return MusicUrl("/audio/" + mode + std::to_string(id) + ".mp3");
}

class TransferBatchTest : public testing::DemoSiteTest {
protected:
    void SetUp() override {
        DemoSiteTest::SetUp();
        testing::PumpTransfers([this] {
            ++pumps_;
            if (onPump_) onPump_();
        });
    }
    void TearDown() override {
        testing::PumpTransfers(nullptr);
        DemoSiteTest::TearDown();
    }
    std::string Target(const std::string& name) const { return temp_.File(name); }
    // Rounds until nothing runs; the songs in the order they ended.
    std::vector<TransferBatch::Ended> Finish() {
        std::vector<TransferBatch::Ended> ended;
        while (batch_.Running() > 0) {
            for (const auto& song : batch_.Round()) ended.push_back(song);
        }
        return ended;
    }

    testing::TempFolder temp_;
    TransferBatch batch_;
    int pumps_ = 0;
    std::function<void()> onPump_;
};

TEST_F(TransferBatchTest, SongsEndOnTheirOwnAndAFailureTouchesOnlyItsSong) {
    Options().slowChunkDelayMs = 5;
    const std::map<int, std::string> sources = {
        {1, Audio(demo::kSongPlain)},
        {2, Audio(demo::kSongMissing)},              // 404
        {3, Audio(demo::kSongSlow, "slow/")},        // still running when the others end
        {4, Audio(demo::kSongChunked, "chunked/")},  // no length
    };
    for (const auto& [id, source] : sources) ASSERT_TRUE(batch_.Start(id, source, Target(std::to_string(id))));
    std::map<int, std::int64_t> lastBytes;
    bool shrank = false;
    batch_.OnProgress = [&](const std::vector<TransferBatch::Progress>& running, std::int32_t) {
        for (const auto& song : running) {
            shrank = shrank || song.bytes < lastBytes[song.id];
            lastBytes[song.id] = song.bytes;
        }
    };
    const auto ended = Finish();
    ASSERT_EQ(ended.size(), 4u);
    EXPECT_EQ(ended.back().id, 3);  // the slow one ends last, the others did not wait for it
    for (const auto& song : ended) {
        EXPECT_EQ(song.saved, song.id != 2) << song.id;
    }
    const auto missing = std::find_if(ended.begin(), ended.end(), [](const auto& song) { return song.id == 2; });
    EXPECT_EQ(missing->failure.cause, TransferFailure::Cause::kHttpStatus);
    EXPECT_EQ(missing->failure.status, 404);
    EXPECT_FALSE(shrank);
    EXPECT_GT(pumps_, 0);
    EXPECT_EQ(testing::ReadBytes(Target("1")), demo::AudioContent(demo::kSongPlain));
    EXPECT_EQ(testing::ReadBytes(Target("3")), demo::AudioContent(demo::kSongSlow));
    EXPECT_EQ(testing::ReadBytes(Target("4")), demo::AudioContent(demo::kSongChunked));
    EXPECT_FALSE(stdfs::exists(Target("2")));
    // One connection per song at most: songs that follow others reuse them.
    EXPECT_LE(Site().ConnectionsAccepted(), 4);
}

TEST_F(TransferBatchTest, AnAbortFromTheEventsEndsEverySongAndKeepsThePartials) {
    Options().slowChunkDelayMs = 20;
    for (int id = 1; id <= 3; ++id) {
        ASSERT_TRUE(batch_.Start(id, Audio(demo::kSongSlow, "slow/"), Target("song" + std::to_string(id))));
    }
    onPump_ = [&] {
        std::size_t begun = 0;
        for (int id = 1; id <= 3; ++id) {
            std::error_code none;
            begun += stdfs::file_size(PartialPathFor(Target("song" + std::to_string(id))), none) > 0 && !none;
        }
        if (begun == 3) batch_.AbortAll();
    };
    const auto ended = Finish();
    ASSERT_EQ(ended.size(), 3u);
    for (const auto& song : ended) {
        EXPECT_FALSE(song.saved);
        EXPECT_EQ(song.failure.cause, TransferFailure::Cause::kAborted);
        EXPECT_TRUE(stdfs::exists(PartialPathFor(Target("song" + std::to_string(song.id)))));
    }

    // The next batch continues each from its kept bytes.
    onPump_ = nullptr;
    Options().slowChunkDelayMs = 0;
    Site().ClearRequests();
    for (int id = 1; id <= 3; ++id) {
        ASSERT_TRUE(batch_.Start(id, Audio(demo::kSongSlow, "slow/"), Target("song" + std::to_string(id))));
    }
    for (const auto& song : Finish()) EXPECT_TRUE(song.saved) << song.id;
    for (const auto& request : Site().Requests()) EXPECT_NE(request.Header("Range"), "") << request.target;
    for (int id = 1; id <= 3; ++id) {
        EXPECT_EQ(testing::ReadBytes(Target("song" + std::to_string(id))), demo::AudioContent(demo::kSongSlow));
    }
}

TEST_F(TransferBatchTest, ASongThatCannotStartSaysWhyAndRunsNothing) {
    TransferFailure failure;
    EXPECT_FALSE(batch_.Start(1, Audio(demo::kSongPlain), temp_.File("absent/song"), &failure));
    EXPECT_EQ(failure.cause, TransferFailure::Cause::kFolder);
    EXPECT_FALSE(batch_.Start(2, "ftp://example.invalid/x", Target("x"), &failure));
    EXPECT_EQ(failure.cause, TransferFailure::Cause::kRefusedAddress);
    EXPECT_EQ(batch_.Running(), 0u);
    EXPECT_TRUE(batch_.Round().empty());  // still serves the events
    EXPECT_EQ(pumps_, 1);
    EXPECT_TRUE(Site().Requests().empty());
}

}  // namespace
}  // namespace tunewell::transfer
