// SPDX-License-Identifier: GPL-3.0-or-later
// The saved-songs record: what it keeps, what a damaged or huge file still
// gives, and when a recorded song no longer counts as saved.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "download/saved_songs.h"
#include "ports/memory_song_list.h"
#include "support/temp_folder.h"

namespace tunewell::download {
namespace {

namespace stdfs = std::filesystem;
using testing::ReadBytes;
using testing::WriteBytes;

class SavedSongsTest : public ::testing::Test {
protected:
    // A song file of `bytes` bytes in the folder; its path.
    std::string Song(const std::string& name, std::size_t bytes) {
        WriteBytes(temp_.File(name), std::string(bytes, 'x'));
        return temp_.File(name);
    }
    SavedSongs Loaded() const {
        SavedSongs saved(record_);
        saved.Load();
        return saved;
    }

    testing::TempFolder temp_;
    std::string record_ = temp_.File("SavedSongs.log");
};

TEST_F(SavedSongsTest, LinesReadBackWithAnyPathAndTheNewestLineWins) {
    const std::string odd = Song("a\tb\\c\nd 歌.mp3", 5);
    const std::string plain = Song("plain.mp3", 7);
    SavedSongs saved(record_);
    ASSERT_TRUE(saved.Add({"1001", odd, 5, 1700000000}));
    ASSERT_TRUE(saved.Add({"1002", temp_.File("old.mp3"), 3, 1}));
    ASSERT_TRUE(saved.Add({"1002", plain, 7, 2}));
    const std::string text = ReadBytes(record_);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3);

    const SavedSongs again = Loaded();
    EXPECT_EQ(again.Count(), 2u);
    const auto first = again.StillSaved("1001");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->path, odd);
    EXPECT_EQ(first->time, 1700000000);
    ASSERT_TRUE(again.StillSaved("1002"));
    EXPECT_EQ(again.StillSaved("1002")->path, plain);
    EXPECT_FALSE(again.StillSaved("1003"));
    EXPECT_FALSE(again.StillSaved("100"));  // ids are whole texts
}

TEST_F(SavedSongsTest, DamagedLinesArePassedOverAndATornEndStaysApart) {
    const std::string a = Song("a.mp3", 1), b = Song("b.mp3", 2), c = Song("c.mp3", 3);
    std::string good = SavedLine({"1", a, 1, 10});
    std::string flipped = SavedLine({"2", b, 2, 20});
    flipped[3] = flipped[3] == '2' ? '9' : '2';  // the id changed under its check value
    const std::string torn = SavedLine({"3", c, 3, 30}).substr(0, 12);
    WriteBytes(record_, good + "garbage\n\n" + std::string("\0\xff\t\t\n", 5) + flipped +
                            SavedLine({"4", b, 2, 40}).substr(1) + SavedLine({"5", b, 2, 50}) + torn);
    SavedSongs saved = Loaded();
    EXPECT_EQ(saved.Count(), 2u);
    EXPECT_TRUE(saved.StillSaved("1"));
    EXPECT_TRUE(saved.StillSaved("5"));
    EXPECT_FALSE(saved.StillSaved("2"));
    EXPECT_FALSE(saved.StillSaved("3"));

    // A line added after the torn one is not swallowed by it.
    ASSERT_TRUE(saved.Add({"6", c, 3, 60}));
    EXPECT_TRUE(Loaded().StillSaved("6"));
    EXPECT_EQ(Loaded().Count(), 3u);
    // Lines an editor gave Windows line ends still count.
    WriteBytes(record_, good.substr(0, good.size() - 1) + "\r\n");
    EXPECT_TRUE(Loaded().StillSaved("1"));
}

TEST_F(SavedSongsTest, OnlyTheNewestPartOfAHugeRecordIsRead) {
    const std::string a = Song("a.mp3", 1);
    std::string text = SavedLine({"old", a, 1, 1});
    text += std::string(SavedSongs::kMaxReadBytes, 'z') + "\n";
    text += SavedLine({"new", a, 1, 2});
    WriteBytes(record_, text);
    const SavedSongs saved = Loaded();
    EXPECT_EQ(saved.Count(), 1u);
    EXPECT_TRUE(saved.StillSaved("new"));
    EXPECT_FALSE(saved.StillSaved("old"));
}

TEST_F(SavedSongsTest, ASongCountsOnlyWhileItsFileIsThereWithItsSize) {
    const std::string kept = Song("kept.mp3", 4), grown = Song("grown.mp3", 4), gone = Song("gone.mp3", 4);
    stdfs::create_directory(temp_.File("folder.mp3"));
    SavedSongs saved(record_);
    for (const auto& [id, path] : {std::pair{"1", kept}, {"2", grown}, {"3", gone}, {"4", temp_.File("folder.mp3")}}) {
        ASSERT_TRUE(saved.Add({id, path, 4, 0}));
    }
    WriteBytes(grown, "xxxxx");
    stdfs::remove(gone);
    EXPECT_TRUE(saved.StillSaved("1"));
    EXPECT_FALSE(saved.StillSaved("2"));
    EXPECT_FALSE(saved.StillSaved("3"));
    EXPECT_FALSE(saved.StillSaved("4"));
}

TEST_F(SavedSongsTest, ARecordThatCannotBeUsedIsEmptyAndNothingFails) {
    EXPECT_EQ(Loaded().Count(), 0u);  // none yet
    SavedSongs nowhere("");
    nowhere.Load();
    EXPECT_FALSE(nowhere.Add({"1", Song("a.mp3", 1), 1, 0}));
    stdfs::create_directory(record_);  // a folder where the record belongs
    SavedSongs folder(record_);
    folder.Load();
    EXPECT_EQ(folder.Count(), 0u);
    EXPECT_FALSE(folder.Add({"1", temp_.File("a.mp3"), 1, 0}));
    SavedSongs missingFolder(temp_.File("no/such/SavedSongs.log"));
    EXPECT_FALSE(missingFolder.Add({"1", temp_.File("a.mp3"), 1, 0}));
}

TEST_F(SavedSongsTest, RowsOfSongsStillSavedAreMarked) {
    SavedSongs saved(record_);
    ASSERT_TRUE(saved.Add({"1001", Song("a.mp3", 1), 1, 0}));
    ASSERT_TRUE(saved.Add({"1002", temp_.File("gone.mp3"), 1, 0}));
    ports::MemorySongList songs;
    songs.Prepare();
    songs.AddRow(1, 1001, "1001", "a");
    songs.AddRow(2, 1002, "1002", "b");
    songs.AddRow(3, 1001, "1001", "a again");
    MarkSavedRows(songs, saved);
    EXPECT_TRUE(songs.IsSaved(1));
    EXPECT_FALSE(songs.IsSaved(2));
    EXPECT_TRUE(songs.IsSaved(3));
    songs.Prepare();
    songs.AddRow(1, 1001, "1001", "a");
    EXPECT_FALSE(songs.IsSaved(1));  // a new list has no marks
}

}  // namespace
}  // namespace tunewell::download
