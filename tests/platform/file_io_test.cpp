// SPDX-License-Identifier: GPL-3.0-or-later
// File operations the transfer and the settings store rely on, run on
// every platform, with Chinese names throughout.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/file_io.h"
#include "platform/free_space.h"
#include "platform/file_replace.h"
#include "platform/utf8_path.h"
#include "support/temp_folder.h"

namespace tunewell::platform {
namespace {

using Kind = PathStatus::Kind;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

TEST(FileIo, StatusTellsWhatIsThere) {
    TempFolder folder;
    const std::string file = folder.File("歌曲.mp3");
    WriteBytes(file, "12345");
    const struct {
        std::string path;
        Kind kind;
    } table[] = {{file, Kind::kFile},
                 {folder.path(), Kind::kFolder},
                 {folder.File("没有.mp3"), Kind::kMissing},
                 {folder.File("没有/更深.mp3"), Kind::kMissing}};
    for (const auto& row : table) EXPECT_EQ(StatusOf(row.path, false).kind, row.kind) << row.path;
    EXPECT_EQ(StatusOf(file, true).size, 5);
    EXPECT_TRUE(StatusOf(file, true).ownerWritable);
}

TEST(FileIo, ALockedFileCannotBeTakenTwiceAndStaysRenamable) {
    TempFolder folder;
    const std::string partial = folder.File(".歌曲.mp3.part");
    const int fd = OpenLockedFile(partial);
    ASSERT_GE(fd, 0);
    EXPECT_LT(OpenLockedFile(partial), 0);  // a second transfer of the same song
    const int reader = OpenForReading(partial, false);
    ASSERT_GE(reader, 0);
    EXPECT_FALSE(TryLockFile(reader));  // the stale-partial sweep keeps off
    CloseFile(reader);

    ASSERT_TRUE(WriteAllTo(fd, "abcdef"));
    ASSERT_TRUE(TruncateFile(fd));
    ASSERT_TRUE(SeekFile(fd, 0));
    ASSERT_TRUE(WriteAllTo(fd, "xyz"));
    // The finished file is renamed into place while the lock is held, over
    // an older file of the same name.
    const std::string target = folder.File("歌曲.mp3");
    WriteBytes(target, "old");
    EXPECT_TRUE(RenameFile(partial, target));
    EXPECT_TRUE(CloseFile(fd));
    EXPECT_EQ(ReadBytes(target), "xyz");
    EXPECT_EQ(StatusOf(partial, false).kind, Kind::kMissing);
}

TEST(FileIo, ReadsRemovesAndListsByUtf8Names) {
    TempFolder folder;
    WriteBytes(folder.File("甲.txt"), "hello");
    WriteBytes(folder.File("乙.txt"), "");
    std::vector<std::string> names = FolderEntries(folder.path());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"乙.txt", "甲.txt"}));

    const int fd = OpenForReading(folder.File("甲.txt"), true);
    ASSERT_GE(fd, 0);
    char buffer[16];
    EXPECT_EQ(ReadSome(fd, buffer, sizeof buffer), 5);
    EXPECT_EQ(ReadSome(fd, buffer, sizeof buffer), 0);
    CloseFile(fd);
    EXPECT_TRUE(RemoveFile(folder.File("甲.txt")));
    EXPECT_FALSE(RemoveFile(folder.File("甲.txt")));
    EXPECT_LT(OpenForReading(folder.File("甲.txt"), true), 0);
    EXPECT_TRUE(FolderEntries(folder.File("没有")).empty());
}

TEST(FileIo, ReplacementReachesAChineseFolder) {
    TempFolder folder;
    const std::string sub = folder.File("下载");
    std::filesystem::create_directory(Utf8Path(sub));
    const std::string target = sub + "/配置.ini";
    ASSERT_TRUE(ReplaceFileContents(target, "a=1", {}));
    ASSERT_TRUE(ReplaceFileContents(target, "a=2", {.durable = true}));
    EXPECT_EQ(ReadBytes(target), "a=2");
    EXPECT_EQ(FolderEntries(sub), std::vector<std::string>{"配置.ini"});  // no temporary left
}

TEST(FileIo, NamesStartAfterTheLastSeparator) {
    EXPECT_EQ(NameStart("a/b/c.mp3"), 4u);
    EXPECT_EQ(NameStart("c.mp3"), 0u);
    EXPECT_EQ(FolderOf("a/b/c.mp3"), "a/b");
    EXPECT_EQ(FolderOf("c.mp3"), ".");
#ifdef _WIN32
    EXPECT_EQ(NameStart("C:\\音乐\\c.mp3"), std::string("C:\\音乐\\").size());
    EXPECT_EQ(FolderOf("C:\\音乐\\c.mp3"), "C:\\音乐");
    EXPECT_EQ(FolderOf("C:\\c.mp3"), "C:\\");
    EXPECT_TRUE(IsPathSeparator('\\'));
#else
    EXPECT_EQ(NameStart("a\\b.mp3"), 0u);  // an ordinary character here
    EXPECT_FALSE(IsPathSeparator('\\'));
#endif
    EXPECT_TRUE(IsPathSeparator('/'));
}

// The question before a song's first byte whether it can fit: bytes, as
// the standard library counts them, for a folder of any name.
TEST(FileIo, FreeSpaceIsTheFoldersAndUnknownForNoFolder) {
    TempFolder folder;
    const std::string songs = folder.File("歌曲");
    ASSERT_TRUE(std::filesystem::create_directory(Utf8Path(songs)));
    const std::optional<std::int64_t> free = FreeSpaceIn(songs);
    ASSERT_TRUE(free.has_value());
    const auto available = static_cast<std::int64_t>(std::filesystem::space(Utf8Path(songs)).available);
    EXPECT_LT(std::llabs(*free - available), std::int64_t{64} << 20) << *free << " / " << available;
    EXPECT_FALSE(FreeSpaceIn(folder.File("没有")).has_value());
}

TEST(Utf8Path, ChineseNamesSurviveTheRoundTrip) {
    const std::string name = "下载/歌曲 1.mp3";
    EXPECT_EQ(Utf8String(Utf8Path(name).filename()), "歌曲 1.mp3");
    EXPECT_EQ(Utf8String(Utf8Path(name).parent_path()), "下载");
    EXPECT_EQ(Utf8String((Utf8Path("下载") / Utf8Path("歌.mp3")).filename()), "歌.mp3");
}

}  // namespace
}  // namespace tunewell::platform
