// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <chrono>
#include <filesystem>

#include "fs/cls_fso.h"
#include "support/temp_folder.h"

namespace tunewell::fs {
namespace {

namespace stdfs = std::filesystem;
using testing::TempFolderTest;
using Kind = FsoValue::Kind;

class FsoInfoTest : public TempFolderTest {
protected:
    ClsFso fso_;
};

TEST_F(FsoInfoTest, EachInfoTypeHasItsKind) {
    Write("song.mp3", "12345");
    const struct {
        int infoType;
        Kind kind;
    } cases[] = {{1, Kind::Date},   {2, Kind::Date},  {3, Kind::Date},
                 {4, Kind::Text},   {5, Kind::Text},  {6, Kind::Text},
                 {7, Kind::Number}, {8, Kind::Text},  {9, Kind::Text},
                 {0, Kind::Text},   {12, Kind::Nothing}, {-1, Kind::Nothing}};
    for (const auto& c : cases) {
        EXPECT_EQ(fso_.GetFileInfo("song.mp3", c.infoType).GetKind(), c.kind) << c.infoType;
        EXPECT_EQ(fso_.GetFolderInfo(".", c.infoType).GetKind(), c.kind) << c.infoType;
    }
}

TEST_F(FsoInfoTest, MissingItemsAnswerFalse) {
    EXPECT_EQ(fso_.GetFileInfo("missing.txt", 5), FsoValue::Boolean(false));
    EXPECT_EQ(fso_.GetFolderInfo("missing", 12), FsoValue::Boolean(false));
    stdfs::create_directory("dir");
    EXPECT_EQ(fso_.GetFileInfo("dir", 5), FsoValue::Boolean(false));
}

TEST_F(FsoInfoTest, FileProperties) {
    stdfs::create_directory("sub");
    Write("sub/song.mp3", "12345");
    const auto stamp = stdfs::file_time_type::clock::now() - std::chrono::hours(48);
    stdfs::last_write_time("sub/song.mp3", stamp);
    const auto full = (work_ / "sub/song.mp3").string();

#ifndef _WIN32  // Windows writes its own separator and reads "\\" as one
    EXPECT_EQ(fso_.GetFileInfo("sub/song.mp3", 4), FsoValue::Text(full));
    EXPECT_EQ(fso_.GetFileInfo("sub\\song.mp3", 4), FsoValue::Boolean(false));
#endif
    EXPECT_EQ(fso_.GetFileInfo("sub/song.mp3", 5), FsoValue::Text("song.mp3"));
    EXPECT_EQ(fso_.GetFileInfo("sub/song.mp3", 7), FsoValue::Number(5));
    EXPECT_EQ(fso_.GetFileInfo("sub/song.mp3", 8), FsoValue::Text((work_ / "sub").string()));
    EXPECT_EQ(fso_.GetFileInfo("sub/song.mp3", 6), FsoValue::Text("MP3 文件"));
    const auto modified = fso_.GetFileInfo("sub/song.mp3", 3).AsDate();
    const auto expected = stdfs::file_time_type::clock::to_sys(stamp);
    EXPECT_LT(std::chrono::abs(modified - expected), std::chrono::seconds(1));
}

TEST_F(FsoInfoTest, AllPropertiesJoinedByAt) {
    Write("a.txt", "abc");
    const std::string joined = fso_.GetFileInfo("a.txt", 0).AsText();
    std::string expected;
    for (int type = 1; type <= 8; ++type) {
        if (type > 1) expected += '@';
        expected += fso_.GetFileInfo("a.txt", type).ToText();
    }
    EXPECT_EQ(joined, expected);
    EXPECT_EQ(std::count(joined.begin(), joined.end(), '@'), 7);
    EXPECT_NE(joined.front(), '@');
    EXPECT_NE(joined.back(), '@');
}

TEST_F(FsoInfoTest, FolderSizeCountsEverythingBelow) {
    stdfs::create_directories("box/inner");
    Write("box/a.bin", std::string(100, 'a'));
    Write("box/inner/b.bin", std::string(23, 'b'));
    EXPECT_EQ(fso_.GetFolderInfo("box", 7), FsoValue::Number(123));
    EXPECT_EQ(fso_.GetFolderInfo("box/", 5), FsoValue::Text("box"));
    EXPECT_EQ(fso_.GetFolderInfo("box", 6), FsoValue::Text("文件夹"));
    EXPECT_EQ(fso_.GetFolderInfo("box", 8), FsoValue::Text(work_.string()));
}

}  // namespace
}  // namespace tunewell::fs
