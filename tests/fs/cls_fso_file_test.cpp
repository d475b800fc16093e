// SPDX-License-Identifier: GPL-3.0-or-later
#include <filesystem>

#include "fs/cls_fso.h"
#include "support/temp_folder.h"

namespace tunewell::fs {
namespace {

namespace stdfs = std::filesystem;
using testing::TempFolderTest;

class FsoFileTest : public TempFolderTest {
protected:
    ClsFso fso_;
};

// "\\" is an ordinary character of a file name: a path holding it names
// one item in the current folder, never a/b/c.txt.
TEST_F(FsoFileTest, BackslashIsAnOrdinaryCharacter) {
#ifdef _WIN32
    GTEST_SKIP() << "a separator on Windows";
#endif
    stdfs::create_directories("a/b");
    Write("a/b/c.txt", "x");
    EXPECT_EQ(fso_.GetPath("a\\b\\c.txt"), "a\\b\\c.txt");
    EXPECT_FALSE(fso_.CheckFile("a\\b\\c.txt"));
    EXPECT_FALSE(fso_.CheckFolder("a\\b"));
    EXPECT_TRUE(fso_.CreateFile("a\\b\\c.txt", "y", false));
    EXPECT_EQ(fso_.ReadFile("a\\b\\c.txt"), FsoValue::Text("y"));
    EXPECT_TRUE(stdfs::is_regular_file("a\\b\\c.txt"));
    EXPECT_EQ(Read("a/b/c.txt"), "x");
}

TEST_F(FsoFileTest, GetFileExtLooksAtTextOnly) {
    const struct {
        const char* path;
        FsoValue expected;
    } cases[] = {
        {"Song.MP3", FsoValue::Text("mp3")},
        {"README", FsoValue::Text("readme")},
        {"archive.tar.GZ", FsoValue::Text("gz")},
        {"dir\\Sub\\x.Txt", FsoValue::Text("txt")},
        {"", FsoValue::Boolean(false)},
    };
    for (const auto& c : cases) EXPECT_EQ(fso_.GetFileExt(c.path), c.expected) << c.path;
}

TEST_F(FsoFileTest, ReadFileGivesTheBytesOrFalse) {
    const std::string content = "第一行\r\nline two\r\n";
    Write("song.txt", content);
    Write("empty.txt", "");
    EXPECT_EQ(fso_.ReadFile("song.txt"), FsoValue::Text(content));
    EXPECT_EQ(fso_.ReadFile("empty.txt"), FsoValue::Text(""));
    EXPECT_EQ(fso_.ReadFile("missing.txt"), FsoValue::Boolean(false));
}

TEST_F(FsoFileTest, CreateFileWritesContentUnchanged) {
    const std::string script = "Dim ExeName\r\nSet Fso=Nothing\r\n";
    EXPECT_TRUE(fso_.CreateFile("UpDate.vbs", script, false));
    EXPECT_EQ(Read("UpDate.vbs"), script);
    EXPECT_TRUE(fso_.CreateFile("no-newline.txt", "abc", true));
    EXPECT_EQ(Read("no-newline.txt"), "abc");
}

TEST_F(FsoFileTest, CreateFileReplacesOnlyWhenAsked) {
    Write("old.txt", "old content");
    EXPECT_FALSE(fso_.CreateFile("old.txt", "new", false));
    EXPECT_EQ(Read("old.txt"), "old content");
    EXPECT_TRUE(fso_.CreateFile("old.txt", "new", true));
    EXPECT_EQ(Read("old.txt"), "new");
}

TEST_F(FsoFileTest, CreateFileReportsFailure) {
    stdfs::create_directory("taken");
    EXPECT_FALSE(fso_.CreateFile("no/such/folder/x.txt", "a", true));
    EXPECT_FALSE(fso_.CreateFile("taken", "a", true));
    EXPECT_TRUE(stdfs::is_directory("taken"));
    EXPECT_FALSE(fso_.CreateFile("", "a", true));
}

TEST_F(FsoFileTest, WriteFileByMode) {
    EXPECT_FALSE(fso_.WriteFile("missing.txt", "a", 2));
    EXPECT_FALSE(stdfs::exists("missing.txt"));

    Write("f.txt", "start");
    EXPECT_TRUE(fso_.WriteFile("f.txt", "+more", 8));
    EXPECT_EQ(Read("f.txt"), "start+more");
    EXPECT_TRUE(fso_.WriteFile("f.txt", "fresh", 2));
    EXPECT_EQ(Read("f.txt"), "fresh");
    for (int mode : {1, 0, 3}) {
        EXPECT_FALSE(fso_.WriteFile("f.txt", "x", mode)) << mode;
        EXPECT_EQ(Read("f.txt"), "fresh") << mode;
    }
}

TEST_F(FsoFileTest, MoveFileNeverOverwrites) {
    Write("a.txt", "A");
    Write("b.txt", "B");
    EXPECT_FALSE(fso_.MoveFile("a.txt", "b.txt"));
    EXPECT_EQ(Read("a.txt"), "A");
    EXPECT_EQ(Read("b.txt"), "B");
    EXPECT_FALSE(fso_.MoveFile("missing.txt", "c.txt"));
    EXPECT_FALSE(stdfs::exists("c.txt"));
    EXPECT_TRUE(fso_.MoveFile("a.txt", "c.txt"));
    EXPECT_FALSE(stdfs::exists("a.txt"));
    EXPECT_EQ(Read("c.txt"), "A");
}

TEST_F(FsoFileTest, CopyFileOverwrites) {
    Write("a.txt", "A");
    Write("b.txt", "B-longer");
    EXPECT_TRUE(fso_.CopyFile("a.txt", "b.txt"));
    EXPECT_EQ(Read("b.txt"), "A");
    EXPECT_EQ(Read("a.txt"), "A");
    EXPECT_FALSE(fso_.CopyFile("missing.txt", "d.txt"));
    EXPECT_FALSE(stdfs::exists("d.txt"));
}

TEST_F(FsoFileTest, DelFileRefusesGuardedPaths) {
    stdfs::create_directories("sub/EDITOR");
    const char* guarded[] = {"Editors.txt", "sub/EDITOR/x.txt", "sub\\EDITOR\\y.txt"};
    for (const char* path : guarded) {
        Write(fso_.GetPath(path), "keep");
        EXPECT_FALSE(fso_.DelFile(path)) << path;
        EXPECT_TRUE(stdfs::exists(fso_.GetPath(path))) << path;
    }
    EXPECT_FALSE(fso_.DelFile(""));
    EXPECT_FALSE(fso_.DelFile("HTTP://host/a.txt"));
}

TEST_F(FsoFileTest, DelFileDeletesOnlyExistingFiles) {
    Write("song.mp3", "x");
    stdfs::create_directory("folder");
    EXPECT_TRUE(fso_.DelFile("song.mp3"));
    EXPECT_FALSE(stdfs::exists("song.mp3"));
    EXPECT_FALSE(fso_.DelFile("song.mp3"));
    EXPECT_FALSE(fso_.DelFile("folder"));
    EXPECT_TRUE(stdfs::is_directory("folder"));
}

TEST_F(FsoFileTest, DelFileOfALinkKeepsItsTarget) {
#ifdef _WIN32
    GTEST_SKIP() << "wine makes no symbolic links";
#endif
    Write("target.txt", "keep");
    stdfs::create_symlink("target.txt", "link.txt");
    EXPECT_TRUE(fso_.DelFile("link.txt"));
    EXPECT_FALSE(stdfs::exists(stdfs::symlink_status("link.txt")));
    EXPECT_EQ(Read("target.txt"), "keep");
}

}  // namespace
}  // namespace tunewell::fs
