#include <gtest/gtest.h>

#include "download/file_naming.h"
#include "download/name_allocator.h"

namespace tunewell::download {
namespace {

TEST(FileNaming, ExtensionFollowsTheLastDotOfTheAddress) {
    const std::pair<std::string, std::string> cases[] = {
        {"http://a.example/b.MP3?x=1", ".mp3?x=1"},
        {"http://a.example/song.wma", ".wma"},
        {"noaddress", ".mp3"},
        {"", ".mp3"},
        // the only dot is in the host: the literal rule would give a folder
        {"http://cdn.site.example/stream?id=9", ".mp3"},
        {"http://cdn.site.example\\stream", ".mp3"},
        {"http://a.example/b.ΩGG", ".ωgg"},                     // every letter lower-cased
        {"http://a.example/b.mp\x1B[2J3", ".mp[2j3"},           // no control characters
        {"http://a.example/b.0123456789abcdef", ".0123456789abcdef"},
        {"http://a.example/b.mp3?token=0123456789abcdef", ".mp3?token=0123456789abcdef"},  // long: kept
        {"http://a.example/b." + std::string(254, 'q'), "." + std::string(254, 'q')},
        {"http://a.example/b." + std::string(255, 'q'), ".mp3"},  // could never be a file name
    };
    for (const auto& [address, extension] : cases) EXPECT_EQ(ExtensionFor(address), extension) << address;
}

TEST(FileNaming, NameIsCleanedDotlessAndNumbered) {
    EXPECT_EQ(BuildFileName("Vol.2 Live", "http://x/a.mp3", false, 1), "Vol2 Live.mp3");
    EXPECT_EQ(BuildFileName("a/b:c?", "http://x/a.mp3", false, 1), "abc.mp3");
    EXPECT_EQ(BuildFileName("歌", "http://x/a.mp3", true, 9), "09.歌.mp3");
    EXPECT_EQ(BuildFileName("歌", "http://x/a.mp3", true, 10), "10.歌.mp3");
    EXPECT_EQ(BuildFileName("歌", "http://x/a.mp3", true, 123), "123.歌.mp3");
    // nothing of a hostile title or address may leave the save folder
    EXPECT_EQ(BuildFileName("../../etc/passwd", "http://x/a/..%2f.mp3", false, 1).find('/'),
              std::string::npos);
    EXPECT_NE(BuildFileName("", "http://x/a.", false, 1), ".");
    // A title of dots takes the row's display name instead of hiding.
    EXPECT_EQ(BuildFileName("...", "http://x/n16.bashrc", false, 1, "行名"), "行名.bashrc");
    EXPECT_EQ(BuildFileName("...", "http://x/n16.bashrc", true, 1, "行名"), "01..bashrc");
    EXPECT_EQ(BuildFileName("歌\x1B]0;x\x07名\xC2\x85", "http://x/a.mp3", false, 1), "歌]0x名.mp3");
}

TEST(FileNaming, OverlongNamesAreCutAtACharacterBoundaryToFit) {
    std::string longName;
    for (int i = 0; i < 200; ++i) longName += "歌";  // 600 bytes
    const std::string name = BuildFileName(longName, "http://x/a.mp3", true, 7);
    EXPECT_LE(name.size(), kMaxFileNameBytes);
    EXPECT_EQ(name.substr(0, 3), "07.");
    EXPECT_EQ(name.substr(name.size() - 4), ".mp3");
    EXPECT_EQ((name.size() - 7) % 3, 0u);  // whole three-byte characters only

    const std::string hugeExtension = "http://x/a." + std::string(400, 'q');
    EXPECT_LE(BuildFileName("song", hugeExtension, false, 1).size(), kMaxFileNameBytes);
}

// What a page can make of a title and an address, and what is saved.
TEST(NameAllocation, NamesNeverHideReplaceProgramFilesOrEachOther) {
    NameAllocator names;
    const std::pair<const char*, const char*> cases[] = {
        {".bashrc", "song.bashrc"},          // a title of dots, no display name
        {"Config.ini", "Config (2).ini"},    // the settings file
        {"config.INI", "config (3).INI"},    // in any letter case, and "(2)" is taken
        {".Config.ini.lock", "song.Config.ini.lock"},
        {"UpDate.sh", "UpDate (2).sh"},
        {"Tunewell", "Tunewell (2)"},
        {"a - b.mp3", "a - b.mp3"},
        {"a - b.mp3", "a - b (2).mp3"},      // a second song of the run
        {"A - B.mp3", "A - B (3).mp3"},
        {"a - b (2).mp3", "a - b (2) (2).mp3"},
        {"01.x.mp3?x=1", "01.x.mp3?x=1"},
        {"01.x.mp3?x=1", "01.x (2).mp3?x=1"},
    };
    for (const auto& [wanted, given] : cases) EXPECT_EQ(names.Allocate(wanted), given) << wanted;

    // The number always fits: the name is cut at a character boundary.
    NameAllocator shortNames({}, 20);
    EXPECT_EQ(shortNames.Allocate("歌歌歌歌歌.mp3"), "歌歌歌歌歌.mp3");
    EXPECT_EQ(shortNames.Allocate("歌歌歌歌歌.mp3"), "歌歌歌歌 (2).mp3");
    EXPECT_EQ(shortNames.Allocate(std::string(30, '.')).size(), 20u);
}

TEST(FileNaming, CutToWidthCountsDoubleByteCharactersTwice) {
    std::string chinese;
    for (int i = 0; i < 25; ++i) chinese += "中";
    std::string twenty;
    for (int i = 0; i < 20; ++i) twenty += "中";
    EXPECT_EQ(CutToWidth(chinese, 40), twenty);
    EXPECT_EQ(CutToWidth("  short  ", 40), "short");
    EXPECT_EQ(CutToWidth(std::string(50, 'a'), 40), std::string(40, 'a'));
    EXPECT_EQ(CutToWidth("", 40), "");
    EXPECT_EQ(CutToWidth("a中", 2), "a中");  // reaches the limit on the second
}

}  // namespace
}  // namespace tunewell::download
