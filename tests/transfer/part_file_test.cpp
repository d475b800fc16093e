// SPDX-License-Identifier: GPL-3.0-or-later
// The partial file's life on this platform's file system: kept after a
// failure, continued, renamed into place while its lock is held, swept when
// stale. Windows is the hard case (renaming an open file, mandatory locks),
// so every name is Chinese and both builds run it.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/file_io.h"
#include "platform/utf8_path.h"
#include "support/temp_folder.h"
#include "transfer/part_file.h"
#include "transfer/partial_files.h"

namespace tunewell::transfer {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

const ResumeRecord kRecord{"http://a/歌.mp3", "歌.mp3", "\"v1\"", "", 10};

bool Exists(const std::string& path) {
    return platform::StatusOf(path, false).kind != platform::PathStatus::Kind::kMissing;
}

TEST(PartFile, AFailedTransferLeavesItsBytesForTheNext) {
    TempFolder folder;
    const std::string target = folder.File("歌.mp3");
    const std::string partial = PartialPathFor(target);
    {
        PartFile part(target, PartFile::Mode::kResumable);
        ASSERT_TRUE(part.IsOpen());
        EXPECT_EQ(part.TempPath(), partial);
        ASSERT_TRUE(part.Begin(false, kRecord));
        ASSERT_TRUE(part.Write("01234", 5));
    }  // no commit: the connection broke
    EXPECT_FALSE(Exists(target));
    EXPECT_EQ(ReadBytes(partial), "01234");
    {
        PartFile second(target, PartFile::Mode::kResumable);
        ASSERT_TRUE(second.IsOpen());
        EXPECT_EQ(second.ResumableBytes(kRecord.source), 5);
        EXPECT_EQ(second.ResumableBytes("http://a/other.mp3"), 0);
        // A second transfer of the same song meanwhile cannot take it.
        PartFile rival(target, PartFile::Mode::kResumable);
        EXPECT_NE(rival.TempPath(), partial);
        ASSERT_TRUE(second.Begin(true, kRecord));
        ASSERT_TRUE(second.Write("56789", 5));
        WriteBytes(target, "old song");
        ASSERT_TRUE(second.Commit());
    }
    EXPECT_EQ(ReadBytes(target), "0123456789");
    EXPECT_FALSE(Exists(partial));
    EXPECT_FALSE(Exists(PartialRecordPath(partial)));
}

TEST(PartFile, AFreshTemporaryReplacesTheTargetOnlyOnCommit) {
    TempFolder folder;
    const std::string target = folder.File("下载/歌.mp3");
    std::filesystem::create_directory(platform::Utf8Path(folder.File("下载")));
    WriteBytes(target, "old");
    {
        PartFile part(target);
        ASSERT_TRUE(part.IsOpen());
        ASSERT_TRUE(part.Write("new", 3));
    }
    EXPECT_EQ(ReadBytes(target), "old");
    PartFile part(target);
    ASSERT_TRUE(part.Write("new", 3));
    ASSERT_TRUE(part.Commit());
    EXPECT_EQ(ReadBytes(target), "new");
    EXPECT_EQ(platform::FolderEntries(folder.File("下载")), std::vector<std::string>{"歌.mp3"});
}

// The finishing step (a song's tags) works on the closed file while the
// old song is still under the name; a partial it changed is never kept
// for resuming, also when the rename then fails.
TEST(PartFile, TheFinishingStepChangesTheFileBeforeItTakesItsName) {
    for (const PartFile::Mode mode : {PartFile::Mode::kResumable, PartFile::Mode::kFresh}) {
        TempFolder folder;
        const std::string target = folder.File("歌.mp3");
        WriteBytes(target, "old song");
        PartFile part(target, mode);
        ASSERT_TRUE(part.IsOpen());
        ResumeRecord longer = kRecord;
        longer.total = 100;
        ASSERT_TRUE(part.Begin(false, longer));
        ASSERT_TRUE(part.Write("0123456789", 10));
        const std::string temp = part.TempPath();
        std::string seen;
        ASSERT_TRUE(part.Commit([&](const std::string& path) {
            seen = path;
            EXPECT_EQ(ReadBytes(target), "old song");
            if (mode == PartFile::Mode::kResumable) {
                // Were the program to end here, the next transfer would
                // not continue the changed bytes.
                const auto record = ReadResumeRecord(PartialRecordPath(path));
                EXPECT_FALSE(record && record->source == kRecord.source);
            }
            // Windows lets this writer in only once the transfer's own
            // handle is closed.
            std::ofstream(platform::Utf8Path(path), std::ios::binary | std::ios::app) << "TAG";
        }));
        EXPECT_EQ(seen, temp);
        EXPECT_EQ(ReadBytes(target), "0123456789TAG");
        EXPECT_EQ(platform::FolderEntries(folder.path()), std::vector<std::string>{"歌.mp3"});
    }
    TempFolder folder;
    const std::string target = folder.File("歌.mp3");
    const std::string partial = PartialPathFor(target);
    PartFile part(target, PartFile::Mode::kResumable);
    ASSERT_TRUE(part.Begin(false, kRecord));
    ASSERT_TRUE(part.Write("01234", 5));
    EXPECT_FALSE(part.Commit([&](const std::string&) {
        // Something takes the name meanwhile that no file replaces.
        std::filesystem::create_directories(platform::Utf8Path(target + "/x"));
    }));
    EXPECT_FALSE(Exists(partial));
    EXPECT_FALSE(Exists(PartialRecordPath(partial)));
}

TEST(PartialFiles, OnlyStaleUnheldPartialsAreSwept) {
    TempFolder folder;
    const std::string stale = PartialPathFor(folder.File("旧.mp3"));
    const std::string fresh = PartialPathFor(folder.File("新.mp3"));
    // Only partials with a record this program wrote are its own.
    WriteBytes(stale, "x");
    ASSERT_TRUE(WriteResumeRecord(PartialRecordPath(stale), kRecord));
    WriteBytes(fresh, "y");
    ASSERT_TRUE(WriteResumeRecord(PartialRecordPath(fresh), kRecord));
    const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * 8);
    std::filesystem::last_write_time(platform::Utf8Path(stale), old);
    std::filesystem::last_write_time(platform::Utf8Path(PartialRecordPath(stale)), old);
    const std::string held = PartialPathFor(folder.File("正在下载.mp3"));
    WriteBytes(held, "z");
    ASSERT_TRUE(WriteResumeRecord(PartialRecordPath(held), kRecord));
    std::filesystem::last_write_time(platform::Utf8Path(held), old);
    const std::string foreign = PartialPathFor(folder.File("别人的.mp3"));  // no record: the user's file
    WriteBytes(foreign, "w");
    std::filesystem::last_write_time(platform::Utf8Path(foreign), old);
    const int lock = platform::OpenLockedFile(held);
    ASSERT_GE(lock, 0);

    EXPECT_EQ(RemoveStalePartials(folder.path()), 1);
    EXPECT_FALSE(Exists(stale));
    EXPECT_FALSE(Exists(PartialRecordPath(stale)));
    EXPECT_TRUE(Exists(fresh));
    EXPECT_TRUE(Exists(held));  // a transfer is writing it
    EXPECT_TRUE(Exists(foreign));
    platform::CloseFile(lock);
    EXPECT_EQ(RemoveStalePartials(folder.path()), 1);
    EXPECT_FALSE(Exists(held));
}

}  // namespace
}  // namespace tunewell::transfer
