#include <gtest/gtest.h>

#include "download/file_naming.h"

namespace tunewell::download {
namespace {

TEST(FileNaming, ExtensionFollowsTheLastDotOfTheAddress) {
    const std::pair<const char*, const char*> cases[] = {
        {"http://a.example/b.MP3?x=1", ".mp3?x=1"},
        {"http://a.example/song.wma", ".wma"},
        {"noaddress", ".mp3"},
        {"", ".mp3"},
        // the only dot is in the host: the literal rule would give a folder
        {"http://cdn.site.example/stream?id=9", ".mp3"},
        {"http://cdn.site.example\\stream", ".mp3"},
        {"http://a.example/b.ΩGG", ".ωgg"},                     // every letter lower-cased
        {"http://a.example/b.mp\x1B[2J3", ".mp[2j3"},           // no control characters
        {"http://a.example/b.0123456789abcdef", ".0123456789abcdef"},  // 16 bytes
        {"http://a.example/b.0123456789abcdefg", ".mp3"},              // 17 bytes
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
