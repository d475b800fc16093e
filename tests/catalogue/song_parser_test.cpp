// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "base/text.h"
#include "catalogue/entry_fields.h"
#include "catalogue/page_kind.h"
#include "catalogue/song_parser.h"
#include "heap_peak.h"
#include "text/text_utils.h"
#include "text/utf8_text.h"

namespace tunewell::catalogue {
namespace {

struct KindCase {
    const char* page;
    int expected;
};

TEST(PageKind, FirstMatchingTestWinsInOrder) {
    const KindCase cases[] = {
        {"x<script>msl(\"a\",\"1\")</script>", 1},
        {"</colgroup> <script>wl(\"1\",\"2\",\"t\",\"e\")</script>", 2},
        {"您收藏的歌曲</colgroup><tr>x</table>", 3},
        {"您音乐盒中的歌曲", 3},
        {"音乐分类：", 4},
        {"<h1 class=\"h1user\">小组</h1>", 4},
        {"<script>ws(", 5},
        {"下面这些歌曲被标注为", 6},
        {"<div id=\"playicon\">", 7},
        {"播放器 ... 歌曲列表", 8},
        {"播放器 only", 0},
        // msl wins over a favourites marker on the same page
        {"您收藏的歌曲<script>msl(", 1},
        // markers are matched on the normalised page: upper case never matches
        {"<SCRIPT>MSL(", 0},
        {"", 0},
    };
    for (const KindCase& c : cases) {
        const PageKind* kind = DetectPageKind(c.page);
        EXPECT_EQ(kind == nullptr ? 0 : kind->order, c.expected) << c.page;
    }
}

std::vector<std::pair<double, std::string>> Songs(const std::string& body, const std::string& delimiter) {
    std::vector<std::pair<double, std::string>> out;
    for (const ParsedSong& song : ParseSongs(body, delimiter)) out.emplace_back(song.id.value, song.name);
    return out;
}

using Rows = std::vector<std::pair<double, std::string>>;

TEST(SongParser, RuleMReadsTitleAndIdAndCleansTheTitle) {
    const std::string body = "<script>msl(\"song: one\",\"11\",\"x\");msl(\"two\", \"22\", \"y\");</script>";
    EXPECT_EQ(Songs(body, "msl("), (Rows{{11, "song one"}, {22, "two"}}));
}

TEST(SongParser, RuleWJoinsExtraAndDropsDatesAndNumbers) {
    const std::string body =
        "</colgroup> <script>wl(\"7\",\"123\",\"song a\",\"singer b\");</script>"
        "wl(\"7\",\"124\",\"song c\",\"2008-10-01\");wl(\"7\",\"125\",\"d\",\"15\");"
        "wl(\"7\",\"126\",\"e\",\"10:30\");";
    EXPECT_EQ(Songs(body, "wl("),
              (Rows{{123, "song a-singer b"}, {124, "song c"}, {125, "d"}, {126, "e"}}));
}

TEST(SongParser, NamesLoseControlCharactersUnderEveryRule) {
    EXPECT_EQ(Songs("wl(\"7\",\"1\",\"a\x1B[2J\",\"b\tc\xC2\x9B\");", "wl("), (Rows{{1, "a[2J-bc"}}));
    EXPECT_EQ(Songs("<tr>><input type=checkbox<a href='/song/2/'>t\x07\x7Fx</a>", "<tr>"), (Rows{{2, "tx"}}));
}

TEST(SongParser, RuleSReadsIdTitlePerformer) {
    const std::string body =
        "<ul id=songs><li>wrtsongline(\"5\",\"t/i?t\",\"周杰伦\",\"\");wrtsongline(\"6\",\"x\",\"\",\"\")</ul>";
    EXPECT_EQ(Songs(body, "wrtsongline("), (Rows{{5, "tit-周杰伦"}, {6, "x"}}));
}

TEST(SongParser, EntryWithoutSeparatorRepeatsThePreviousSong) {
    const std::string body = "msl(\"a\",\"1\",\"\")msl(nothing here)msl(\"b\",\"2\",\"\")";
    EXPECT_EQ(Songs(body, "msl("), (Rows{{1, "a"}, {1, "a"}, {2, "b"}}));
}

// Bare repeated entries each repeat the song before them; the list stops at
// its bound and says that it did.
TEST(SongParser, RowsStopAtTheBound) {
    std::string body = "<script>msl(\"a\",\"1\")";
    for (int i = 0; i < 50; ++i) body += "msl(";
    bool cut = false;
    EXPECT_EQ(ParseSongs(body, "msl(", 10, &cut).size(), 10u);
    EXPECT_TRUE(cut);
    EXPECT_EQ(ParseSongs(body, "msl(", 51, &cut).size(), 51u);
    EXPECT_FALSE(cut);
    EXPECT_EQ(ParseSongs(body, "msl(", 1000, &cut).size(), 51u);
    EXPECT_FALSE(cut);
    EXPECT_EQ(ParseSongs(body, "msl(").size(), 51u);  // the default bound
}

TEST(SongParser, EntriesLackingFieldsAreSkippedNotCrashed) {
    // The first entry has no separator, the second too few fields for W.
    const std::string body = "wl(nothing)wl(\"1\",\"2\")wl(\"7\",\"9\",\"ok\",\"x\");wl(tail)";
    EXPECT_EQ(Songs(body, "wl("), (Rows{{9, "ok-x"}, {9, "ok-x"}}));
}

TEST(SongParser, RuleTCutsIdAndTitleFromTheSongLink) {
    const std::string body =
        "</colgroup><tr><td><input type=checkbox></td><td><a href='/song/456/'>title</a></td>"
        "<tr>><input type=checkbox<a href=\"/song/457/\">other</a>"
        "<tr><td>no link</td>";
    EXPECT_EQ(Songs(body, "<tr>"), (Rows{{456, "title"}, {457, "other"}, {0, ""}}));
}

TEST(SongParser, RuleIsChosenFromTheWholeBody) {
    // "wl(" anywhere (here inside another call's name) makes every entry W.
    const std::string body = "<tr>\"1\",\"2\",\"t\",\"e\");<tr>\"1\",\"3\",\"u\",\"f\"); showl(";
    EXPECT_EQ(ChooseEntryRule(body), EntryRule::W);
    EXPECT_EQ(Songs(body, "<tr>"), (Rows{{2, "t-e"}, {3, "u-f showl("}}));
}

TEST(SongParser, NoRuleRepeatsPreviousValuesStartingEmpty) {
    EXPECT_EQ(Songs("<tr>a<tr>b", "<tr>"), (Rows{{0, ""}, {0, ""}}));
}

TEST(SongParser, BodyWithoutDelimiterGivesNoSongs) {
    EXPECT_TRUE(Songs("<script>nothing</script>", "msl(").empty());
    EXPECT_TRUE(Songs("", "msl(").empty());
}

TEST(SongParser, IdIsANumberOrZero) {
    const std::string body = "msl(\"a\",\"abc\",\"\")msl(\"b\",\"2147483648\",\"\")msl(\"c\",\"'7'\",\"\")";
    EXPECT_EQ(Songs(body, "msl("), (Rows{{0, "a"}, {2147483648.0, "b"}, {0, "c"}}));
}

TEST(SongParser, SingleSongPageBecomesOneEntry) {
    const std::string page =
        "<div id=\"playicon\"><a onclick=listenlog(321,'x')></a><p class=\"mid_tit\">my: song<p>";
    const PageKind* kind = DetectPageKind(page);
    ASSERT_NE(kind, nullptr);
    const std::string body = BuildFirstBody(page, *kind);
    EXPECT_EQ(Songs(body, kind->delimiter), (Rows{{321, "my song"}}));

    // A title of megabytes makes an entry of a few kilobytes, its name cut.
    const std::string title(3 << 20, 't');
    const std::string large = BuildFirstBody(
        "<div id=\"playicon\">listenlog(9,<p class=\"mid_tit\">" + title + "<p>", *kind);
    EXPECT_LT(large.size(), 3 * kMaxFieldBytes);
    EXPECT_EQ(Songs(large, kind->delimiter), (Rows{{9, title.substr(0, kMaxNameBytes)}}));
}

// The body of a list page is the page itself cut down, not a copy of it;
// a small body gives the page's room back.
TEST(SongParser, BodiesAreCutFromThePageInPlace) {
    const PageKind& kind = *PageKindByOrder(1);
    const std::size_t filler = 4 << 20;
    std::string page = "head<script>msl(" + std::string(filler, 'x') + "</script>tail";
    const testing::HeapPeak peak;
    const std::string body = BuildFollowingBody(std::move(page), kind);
    EXPECT_LT(peak.Added(), filler / 4);
    EXPECT_EQ(body, "<script>msl(" + std::string(filler, 'x') + "</script>");

    const std::string small =
        BuildFollowingBody(std::string(filler, 'x') + "<script>msl(\"a\",\"1\")</script>", kind);
    EXPECT_EQ(small, "<script>msl(\"a\",\"1\")</script>");
    EXPECT_LT(small.capacity(), filler / 4);
}

// An entry of a million separators, `","` or `", "`, gives the row a short
// one gives, and the parse holds no more than for a short one: the entry
// is neither copied nor split into all its fields.
TEST(SongParser, EntriesAreReadOnlyAsFarAsTheirRuleNeeds) {
    for (const std::string separator : {"\",\"", "\", \""}) {
        std::string body = "<script>msl(\"title\",\"11";
        for (int i = 0; i < 1000000; ++i) body += separator;
        body += "x\");msl(\"two\",\"22\");</script>";
        const testing::HeapPeak peak;
        const std::vector<ParsedSong> songs = ParseSongs(body, "msl(");
        EXPECT_LT(peak.Added(), 64u * 1024) << separator;
        ASSERT_EQ(songs.size(), 2u) << separator;
        EXPECT_EQ(songs[0].id.value, 11) << separator;
        EXPECT_EQ(songs[0].name, "title") << separator;
        EXPECT_EQ(songs[1].name, "two") << separator;
    }
}

// Every row may repeat a title of megabytes: names are cut, at a character
// boundary, to kMaxNameBytes.
TEST(SongParser, LongNamesAreCutAtACharacterBoundary) {
    std::string title;
    while (title.size() < (1 << 20)) title += "é";
    std::string body = "wl(\"1\",\"7\",\"" + title + "\",\"" + title + "\")";
    for (int i = 0; i < 100; ++i) body += "wl(";
    const std::vector<ParsedSong> songs = ParseSongs(body, "wl(");
    ASSERT_EQ(songs.size(), 101u);
    const std::string cut = title.substr(0, kMaxNameBytes - kMaxNameBytes % 2);
    EXPECT_EQ(songs[0].name, cut);
    EXPECT_EQ(songs[100].name, cut);
    EXPECT_EQ(songs[100].id.value, 7);
}

// Reading the fields in place gives what replacing every `", "` and then
// splitting the whole entry gives, on every mix of the bytes involved.
TEST(EntryFields, MatchReplacingAndSplittingTheWholeEntry) {
    const std::vector<std::string> pieces = {"\"", ",", " ", "x", "é"};
    std::mt19937 random(25);
    for (int round = 0; round < 20000; ++round) {
        std::string entry;
        const int length = static_cast<int>(random() % 16);
        for (int i = 0; i < length; ++i) entry += pieces[random() % pieces.size()];
        const std::string loose = text::ReplaceAll(entry, "\", \"", "\",\"");
        const std::vector<std::string> all = base::SplitAll(loose, "\",\"");
        const std::size_t maxFields = 1 + random() % 4;
        std::vector<std::string> expected(all.begin(), all.begin() + std::min(all.size(), maxFields));
        EXPECT_EQ(ReadEntryFields(entry, maxFields), expected) << entry;
        for (std::string& field : expected) field = std::string(text::Utf8Prefix(field, 3));
        EXPECT_EQ(ReadEntryFields(entry, maxFields, 3), expected) << entry;
        EXPECT_EQ(HasFieldSeparator(entry), all.size() > 1) << entry;
        EXPECT_EQ(LooseFieldText(entry, 5), text::Utf8Prefix(loose, 5)) << entry;
    }
}

TEST(SongParser, HostileBodiesDoNotCrash) {
    std::string binary;
    for (int i = 0; i < 5000; ++i) binary += static_cast<char>((i * 7919) & 0xFF);
    for (const char* delimiter : {"msl(", "wl(", "<tr>", "wrtsongline("}) {
        EXPECT_NO_THROW(ParseSongs(binary, delimiter));
        EXPECT_NO_THROW(ParseSongs(std::string(delimiter) + "\",\"" + delimiter, delimiter));
        EXPECT_NO_THROW(ParseSongs(std::string(10000, '"'), delimiter));
    }
}

}  // namespace
}  // namespace tunewell::catalogue
