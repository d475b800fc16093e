#include <gtest/gtest.h>

#include "catalogue/page_kind.h"
#include "catalogue/song_parser.h"

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
