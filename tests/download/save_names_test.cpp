// SPDX-License-Identifier: GPL-3.0-or-later
// The names songs are saved under: what a page's title, performer and
// address can make of them, alone and in one run.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <utility>
#include <vector>

#include "download/cut_to_width.h"
#include "download/save_names.h"

namespace tunewell::download {
namespace {

struct Song {
    std::string title;
    std::string address = "http://x/a.mp3";
    std::string performer = "";
    std::string row = "行名";
    int position = 1;
    bool numbered = false;
};

// The name a song gets as the first of a run.
std::string NameOf(const Song& song) {
    SaveNames names;
    return names.NameFor({song.title, song.performer, song.address}, song.row, song.position, song.numbered);
}

std::string ExtensionOf(const std::string& address) {
    const std::string name = NameOf({"歌名曲", address});
    return name.substr(std::string("歌名曲").size());
}

TEST(SaveNames, ExtensionIsAnAudioTypeFromTheAddressPath) {
    const std::pair<std::string, std::string> cases[] = {
        {"http://a.example/b.MP3?x=1", ".mp3"},  // the query is no part of it
        {"http://a.example/b.FLAC?x=1#y", ".flac"},
        {"http://a.example/b.ogg#part.exe", ".ogg"},
        {"http://a.example/b.exe?name=c.mp3", ".mp3"},
        {"http://a.example/song.wma", ".wma"},
        {"http://a.example/song.Opus", ".opus"},
        {"noaddress", ".mp3"},
        {"", ".mp3"},
        {"http://a.example/b.", ".mp3"},
        {"http://cdn.site.example/stream?id=9", ".mp3"},  // the only dot is in the host
        {"http://cdn.site.example\\stream", ".mp3"},
        {"http://a.example/b.mp3/", ".mp3"},
        // what the program loads, runs or reads could otherwise be named
        {"http://a.example/cmake_install.cmake", ".mp3"},
        {"http://a.example/qt.conf", ".mp3"},
        {"http://a.example/Qt6Core.DLL", ".mp3"},
        {"http://a.example/tunewell-cli.exe", ".mp3"},
        {"http://a.example/CMakeCache.txt", ".mp3"},
        {"http://a.example/Config.ini", ".mp3"},
        {"http://a.example/n16.bashrc", ".mp3"},
        {"http://a.example/UpDate.vbs", ".mp3"},
        {"http://a.example/b.ΩGG", ".mp3"},
        {"http://a.example/b.mp\x1B[2J3", ".mp3"},
        {"http://a.example/b." + std::string(300, 'q'), ".mp3"},
    };
    for (const auto& [address, extension] : cases) EXPECT_EQ(ExtensionOf(address), extension) << address;
    for (const std::string_view listed : SaveNames::AudioExtensions()) {
        std::string upper(listed);
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        const std::string address = std::string("http://a.example/b.").append(upper).append("?x=1");
        EXPECT_EQ(ExtensionOf(address), std::string(".").append(listed));
    }
}

TEST(SaveNames, TitlePerformerOrRowNameCleanedAndNumbered) {
    const std::pair<Song, std::string> cases[] = {
        {{"Vol.2 Live"}, "Vol2 Live.mp3"},
        {{"a/b:c?"}, "abc.mp3"},
        {{"山间小路", "http://x/a.mp3", "林小溪"}, "山间小路 - 林小溪.mp3"},
        {{"雨", "http://x/a.mp3", "陈雨桐"}, "行名.mp3"},  // too short: the row's name alone
        {{"歌名曲", "http://x/a.mp3", "", "", 9, true}, "09.歌名曲.mp3"},
        {{"歌名曲", "http://x/a.mp3", "", "", 10, true}, "10.歌名曲.mp3"},
        {{"歌名曲", "http://x/a.mp3", "", "", 123, true}, "123.歌名曲.mp3"},
        // nothing of a hostile title or address leaves the save folder
        {{"../../etc/passwd", "http://x/a/..%2f.mp3"}, "etcpasswd.mp3"},
        {{"歌\x1B]0;x\x07名\xC2\x85"}, "歌]0x名.mp3"},
        // a title of dots takes the row's display name instead of hiding
        {{"..."}, "行名.mp3"},
        {{"...", "http://x/a.mp3", "", "行名", 1, true}, "01..mp3"},
        {{"...", "http://x/n16.bashrc", "", "..."}, "song.mp3"},
        {{"...", "", "", ""}, "song.mp3"},
        // no stem ends in a dot or a blank
        {{"晚安. . ."}, "晚安.mp3"},
        {{"Song  ", "http://x/a.flac"}, "Song.flac"},
        {{"   "}, "行名.mp3"},
        {{"   ", "http://x/a.mp3", "", "   "}, "song.mp3"},
        {{"cmake_install", "http://x/1030.cmake"}, "cmake_install.mp3"},
        {{"qt", "http://x/1031.conf", "", "qt"}, "qt.mp3"},
    };
    for (const auto& [song, name] : cases) EXPECT_EQ(NameOf(song), name) << song.title << " @ " << song.address;
}

TEST(SaveNames, WindowsDeviceNamesGetAnUnderscoreInAnyCase) {
    const std::pair<Song, std::string> cases[] = {
        {{"CON"}, "CON_.mp3"},
        {{"Con"}, "Con_.mp3"},
        {{"con", "http://x/a.WAV"}, "con_.wav"},
        {{"nul "}, "nul_.mp3"},
        {{"Com1"}, "Com1_.mp3"},
        {{"lpt9", "http://x/a.flac"}, "lpt9_.flac"},
        {{"LPT0"}, "LPT0_.mp3"},
        {{"COM\xC2\xB9"}, "COM\xC2\xB9_.mp3"},    // COM¹
        {{"N.U.L"}, "NUL_.mp3"},                  // once its dots are gone
        {{"PR", "http://x/a.mp3", "", "prn"}, "prn_.mp3"},  // the row's name
        {{"...", "http://x/a.mp3", "", "Aux"}, "Aux_.mp3"},
        // not device names
        {{"CON", "http://x/a.mp3", "", "", 1, true}, "01.CON.mp3"},
        {{"AUX", "http://x/a.mp3", "王"}, "AUX - 王.mp3"},
        {{"COM10"}, "COM10.mp3"},
        {{"LPT"}, "LPT.mp3"},
        {{"CONSOLE"}, "CONSOLE.mp3"},
        {{"COM\xC2\xB4"}, "COM\xC2\xB4.mp3"},
    };
    for (const auto& [song, name] : cases) EXPECT_EQ(NameOf(song), name) << song.title;
}

// Songs of one run never share a name, nor take one of the program's own.
TEST(SaveNames, NamesOfOneRunNeverMeetEachOtherOrReservedNames) {
    SaveNames names({"Reserved.MP3"});
    const std::pair<Song, std::string> cases[] = {
        {{"a", "http://x/a.mp3", "", "a - b"}, "a - b.mp3"},
        {{"a", "http://x/a.mp3", "", "a - b"}, "a - b (2).mp3"},  // a second song of the run
        {{"a", "http://x/a.mp3", "", "A - B"}, "A - B (3).mp3"},  // in any letter case
        {{"a", "http://x/a.mp3", "", "a - b (2)"}, "a - b (2) (2).mp3"},
        {{"a", "http://x/a.ogg", "", "a - b"}, "a - b.ogg"},
        {{"Été", "http://x/a.mp3"}, "Été.mp3"},
        {{"ÉTÉ", "http://x/a.mp3"}, "ÉTÉ (2).mp3"},  // one file where case is ignored
        {{"reserved"}, "reserved (2).mp3"},
        {{"CON"}, "CON_.mp3"},
        {{"con"}, "con (2).mp3"},
        {{"con_"}, "con_ (2).mp3"},
        {{"x", "http://x/a.mp3?x=1", "", "x", 1, true}, "01.x.mp3"},
        {{"x", "http://x/a.MP3?x=2", "", "x", 1, true}, "01.x (2).mp3"},
        {{"...", "http://x/a.mp3", "", ""}, "song.mp3"},
        {{"...", "http://x/a.mp3", "", ""}, "song (2).mp3"},
    };
    for (const auto& [song, name] : cases) {
        EXPECT_EQ(names.NameFor({song.title, "", song.address}, song.row, song.position, song.numbered), name)
            << song.title << " / " << song.row;
    }

    // The program's own files are out of reach whatever the page says.
    SaveNames program;
    for (const auto& [title, address] : std::vector<std::pair<std::string, std::string>>{
             {"Config", "http://x/a.ini"}, {"UpDate", "http://x/a.sh"}, {"Tunewell", "http://x/a.exe"}}) {
        const std::string name = program.NameFor({title, "", address}, "", 1, false);
        EXPECT_EQ(name, title + ".mp3");
    }
}

TEST(SaveNames, OverlongNamesAreCutAtACharacterBoundaryToFit) {
    std::string longName;
    for (int i = 0; i < 200; ++i) longName += "歌";  // 600 bytes
    SaveNames names;
    const std::string first = names.NameFor({longName, "", "http://x/a.mp3"}, "", 7, true);
    EXPECT_LE(first.size(), 255u);
    EXPECT_EQ(first.substr(0, 3), "07.");
    EXPECT_EQ(first.substr(first.size() - 4), ".mp3");
    EXPECT_EQ((first.size() - 7) % 3, 0u);  // whole three-byte characters only
    // the number " (2)" always fits: the name gives way
    const std::string second = names.NameFor({longName, "", "http://x/a.mp3"}, "", 7, true);
    EXPECT_LE(second.size(), 255u);
    EXPECT_EQ(second.substr(second.size() - 8), " (2).mp3");
    EXPECT_EQ((second.size() - 11) % 3, 0u);

    // A cut that ends on a blank does not leave it before the extension.
    const std::string spaced = std::string(250, 'a') + " bbbbbbbbbb";
    EXPECT_EQ(NameOf({spaced}), std::string(250, 'a') + ".mp3");

    SaveNames shortNames({}, 20);
    EXPECT_EQ(shortNames.NameFor({"歌歌歌歌歌", "", "http://x/a.mp3"}, "", 1, false), "歌歌歌歌歌.mp3");
    EXPECT_EQ(shortNames.NameFor({"歌歌歌歌歌", "", "http://x/a.mp3"}, "", 1, false), "歌歌歌歌 (2).mp3");
    EXPECT_EQ(shortNames.NameFor({"CONSOLEx", "", "http://x/a.mp3"}, "", 1, false), "CONSOLEx.mp3");
    SaveNames tinyNames({}, 7);  // "CONSOLE" cut to "CON" must not name the console
    EXPECT_EQ(tinyNames.NameFor({"CONSOLE", "", "http://x/a.mp3"}, "", 1, false), "CO_.mp3");
}

TEST(CutToWidth, CountsDoubleByteCharactersTwice) {
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
