// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "download/play_entries.h"
#include "support/site_urls.h"

namespace tunewell::download {
namespace {

// However many rows are ticked, each play page address stays under the
// length servers take, the ids keep their order and none is lost; ids that
// fit stay one request.
TEST(PlayEntries, IdsAreAskedInOrderedBatchesOfAddressesServersTake) {
    EXPECT_EQ(PlayPageBatches({"6001", "2002"}), (std::vector<std::vector<std::string>>{{"6001", "2002"}}));
    EXPECT_TRUE(PlayPageBatches({}).empty());

    std::vector<std::string> ids;
    for (int id = 100000; id < 103000; ++id) ids.push_back(std::to_string(id));
    const auto batches = PlayPageBatches(ids);
    ASSERT_GT(batches.size(), 1u);
    std::vector<std::string> joined;
    for (std::size_t b = 0; b < batches.size(); ++b) {
        std::string list;
        for (const std::string& id : batches[b]) list += (list.empty() ? "" : ",") + id;
        EXPECT_LE(PlayPageAddress(list).size(), kMaxPlayAddressBytes);
        // Each batch is as full as it can be: one more id would not fit.
        if (b + 1 < batches.size()) {
            EXPECT_GT(PlayPageAddress(list + "," + batches[b + 1].front()).size(), kMaxPlayAddressBytes);
        }
        joined.insert(joined.end(), batches[b].begin(), batches[b].end());
    }
    EXPECT_EQ(joined, ids);
}

TEST(PlayEntries, AddressJoinsIdsOnTheWwwHost) {
    EXPECT_EQ(PlayPageAddress("6001,2002,28110"), testing::MusicUrl("/play.php?song_id=6001,2002,28110", "www."));
}

TEST(PlayEntries, BlockIsCutCaseSensitivelyIntoEntriesInPageOrder) {
    const std::string page =
        "<ul id=songs>ignored WrtSongLine</ul><UL id=songs>head"
        "WrtSongLine(\"1\", \"a\", \"b\", \"\", \"\", \"http://x/1.mp3\");"
        "WrtSongLine(\"2\", \"c\", \"d\", \"\", \"\", \"http://x/2.mp3\");</UL>";
    const auto entries = SplitPlayEntries(page);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(ParsePlayEntry(entries[0])->title, "a");
    EXPECT_EQ(ParsePlayEntry(entries[1])->address, "http://x/2.mp3");
    EXPECT_TRUE(SplitPlayEntries("<UL id=songs>no calls</UL>").empty());
    EXPECT_TRUE(SplitPlayEntries("no block WrtSongLine(").empty());
    EXPECT_TRUE(SplitPlayEntries("$False$").empty());
}

TEST(PlayEntries, ParseTakesTitlePerformerAndAddress) {
    const auto parsed = ParsePlayEntry("(\"7\", \"title\", \"singer  \", \"x\", \"y\", \"http://a/\"b\".mp3\", \"z\");");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->title, "title");
    EXPECT_EQ(parsed->performer, "singer ");  // one trailing blank removed
    EXPECT_EQ(parsed->address, "http://a/b.mp3");
}

TEST(PlayEntries, EntriesWithoutSixArgumentsAreNotParsed) {
    EXPECT_FALSE(ParsePlayEntry("(\"7\",\"t\",\"p\",\"\",\"\",\"http://a\");"));  // no ", "
    EXPECT_FALSE(ParsePlayEntry("(\"7\", \"t\", \"p\");"));
    EXPECT_FALSE(ParsePlayEntry("(\"7\", \"t\", \"p\", \"\", \"\", \"http://a\""));  // no ");"
    EXPECT_FALSE(ParsePlayEntry(""));
}

}  // namespace
}  // namespace tunewell::download
