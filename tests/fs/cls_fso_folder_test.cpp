// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <filesystem>
#include <sstream>
#include <vector>

#include "fs/cls_fso.h"
#include "support/temp_folder.h"

namespace tunewell::fs {
namespace {

namespace stdfs = std::filesystem;
using testing::TempFolderTest;

class FsoFolderTest : public TempFolderTest {
protected:
    // "3@b@a@c" → {"3", "a", "b", "c"}: the count, then the names sorted,
    // since the file system chooses the order.
    static std::vector<std::string> Listing(const FsoValue& value) {
        std::vector<std::string> parts;
        std::stringstream in(value.AsText());
        for (std::string part; std::getline(in, part, '@');) parts.push_back(part);
        if (!parts.empty()) std::sort(parts.begin() + 1, parts.end());
        return parts;
    }
    ClsFso fso_;
};

TEST_F(FsoFolderTest, CreateFolderMakesEveryMissingLevel) {
    EXPECT_EQ(fso_.CreateFolder("a/b/c"), FsoValue::Boolean(true));
    EXPECT_TRUE(stdfs::is_directory("a/b/c"));
    EXPECT_EQ(fso_.CreateFolder("a/b/c"), FsoValue::Boolean(false));
#ifdef _WIN32
    EXPECT_EQ(fso_.CreateFolder("a\\b\\d\\"), FsoValue::Boolean(true));  // both separators
    EXPECT_TRUE(stdfs::is_directory("a/b/d"));
#else
    EXPECT_EQ(fso_.CreateFolder("a\\b\\d\\"), FsoValue::Boolean(true));  // one folder of that name
    EXPECT_TRUE(stdfs::is_directory("a\\b\\d\\"));
    EXPECT_FALSE(stdfs::exists("a/b/d"));
#endif
    EXPECT_EQ(fso_.CreateFolder((work_ / "abs/x").string()), FsoValue::Boolean(true));
    EXPECT_TRUE(stdfs::is_directory("abs/x"));
}

TEST_F(FsoFolderTest, CreateFolderSinglePart) {
    EXPECT_EQ(fso_.CreateFolder("solo"), FsoValue::Boolean(true));
    EXPECT_EQ(fso_.CreateFolder("solo"), FsoValue::Boolean(false));
    EXPECT_EQ(fso_.CreateFolder(""), FsoValue::Boolean(false));
    EXPECT_EQ(fso_.CreateFolder("/"), FsoValue::Nothing());
}

TEST_F(FsoFolderTest, CreateFolderHonoursOneLeadingParent) {
    EXPECT_EQ(fso_.CreateFolder("../up/x"), FsoValue::Boolean(true));
    EXPECT_TRUE(stdfs::is_directory(root_ / "up/x"));
    // A name that merely starts with two dots is an ordinary folder name.
    EXPECT_EQ(fso_.CreateFolder("..hidden/y"), FsoValue::Boolean(true));
    EXPECT_TRUE(stdfs::is_directory(work_ / "..hidden/y"));
    EXPECT_FALSE(stdfs::exists(root_ / "..hidden"));
}

TEST_F(FsoFolderTest, CreateFolderThroughAFileFails) {
    Write("file", "x");
    EXPECT_THROW(fso_.CreateFolder("file/sub"), stdfs::filesystem_error);
}

TEST_F(FsoFolderTest, MoveFolderNeverOverwrites) {
    stdfs::create_directories("src/inner");
    stdfs::create_directory("dst");
    EXPECT_FALSE(fso_.MoveFolder("src", "dst"));
    EXPECT_TRUE(stdfs::is_directory("src/inner"));
    EXPECT_FALSE(fso_.MoveFolder("missing", "other"));
    EXPECT_TRUE(fso_.MoveFolder("src", "moved"));
    EXPECT_TRUE(stdfs::is_directory("moved/inner"));
    EXPECT_FALSE(stdfs::exists("src"));
}

TEST_F(FsoFolderTest, CopyFolderCopiesAndOverwrites) {
    stdfs::create_directories("src/inner");
    Write("src/inner/a.txt", "new");
    stdfs::create_directories("dst/inner");
    Write("dst/inner/a.txt", "old");
    Write("dst/keep.txt", "kept");
    EXPECT_TRUE(fso_.CopyFolder("src", "dst"));
    EXPECT_EQ(Read("dst/inner/a.txt"), "new");
    EXPECT_EQ(Read("dst/keep.txt"), "kept");
    EXPECT_TRUE(fso_.CopyFolder("src/", "fresh"));
    EXPECT_EQ(Read("fresh/inner/a.txt"), "new");
    EXPECT_FALSE(fso_.CopyFolder("missing", "x"));
}

TEST_F(FsoFolderTest, CopyFolderRefusesItsOwnInside) {
    stdfs::create_directories("src/inner");
    Write("src/a.txt", "a");
    EXPECT_FALSE(fso_.CopyFolder("src", "src/inner/copy"));
    EXPECT_FALSE(fso_.CopyFolder("src", "src"));
    EXPECT_FALSE(stdfs::exists("src/inner/copy"));
}

TEST_F(FsoFolderTest, DelFolderDeletesContentsWithoutNameRule) {
    stdfs::create_directories("editor/sub");
    Write("editor/sub/f.txt", "x");
    EXPECT_TRUE(fso_.DelFolder("editor"));
    EXPECT_FALSE(stdfs::exists("editor"));
    EXPECT_FALSE(fso_.DelFolder("editor"));
}

TEST_F(FsoFolderTest, DelFolderRefusesRootsAndRelativeMarkers) {
    stdfs::create_directories("a/b");
    Write("a/b/f.txt", "x");
    for (const char* path : {"", "/", "//", ".", "./", "a/b/..", "a/b/../", "a\\.."}) {
        EXPECT_FALSE(fso_.DelFolder(path)) << path;
    }
    EXPECT_TRUE(stdfs::exists("a/b/f.txt"));
    EXPECT_TRUE(stdfs::exists(work_));
}

TEST_F(FsoFolderTest, DelFolderOfALinkKeepsItsTarget) {
#ifdef _WIN32
    GTEST_SKIP() << "wine makes no symbolic links";
#endif
    stdfs::create_directories("real");
    Write("real/f.txt", "keep");
    stdfs::create_directory_symlink("real", "link");
    EXPECT_TRUE(fso_.DelFolder("link/"));
    EXPECT_FALSE(stdfs::exists(stdfs::symlink_status("link")));
    EXPECT_EQ(Read("real/f.txt"), "keep");
}

TEST_F(FsoFolderTest, ListsCountAndNameEntriesByKind) {
    stdfs::create_directories("box/d1");
    stdfs::create_directories("box/d2");
    for (const char* name : {"a.txt", "b.txt", "c.mp3"}) Write(stdfs::path("box") / name, "");
    stdfs::create_directory("empty");
    EXPECT_EQ(Listing(fso_.GetFileList("box")),
              (std::vector<std::string>{"3", "a.txt", "b.txt", "c.mp3"}));
    EXPECT_EQ(Listing(fso_.GetFolderList("box")), (std::vector<std::string>{"2", "d1", "d2"}));
    EXPECT_EQ(fso_.GetFileList("empty"), FsoValue::Text("0"));
    EXPECT_EQ(fso_.GetFolderList("empty"), FsoValue::Text("0"));
    EXPECT_EQ(fso_.GetFileList("missing"), FsoValue::Boolean(false));
    EXPECT_EQ(fso_.GetFolderList("missing"), FsoValue::Boolean(false));
}

}  // namespace
}  // namespace tunewell::fs
