#include <gtest/gtest.h>

#include "download/play_entries.h"
#include "support/site_urls.h"

namespace tunewell::download {
namespace {

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
