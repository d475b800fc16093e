// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "settings/install_entry.h"
#include "settings/program_places.h"

namespace tunewell::settings {
namespace {

using platform::InstallRecord;
using platform::InstallScope;

TEST(InstallEntry, LocationNamesTheFolderAsWindowsComparesNames) {
    const std::string folder = "C:\\Users\\u\\AppData\\Local\\Programs\\Tunewell";
    const struct {
        const char* location;
        bool names;
    } cases[] = {
        {"C:\\Users\\u\\AppData\\Local\\Programs\\Tunewell", true},
        {"c:\\users\\U\\appdata\\local\\programs\\TUNEWELL", true},
        {"C:/Users/u/AppData/Local/Programs/Tunewell/", true},
        {"C:\\Users\\u\\AppData\\Local\\Programs\\Tunewell\\\\", true},
        {"C:\\Users\\u\\AppData\\Local\\Programs\\Tunewell2", false},
        {"C:\\Users\\u\\AppData\\Local\\Programs", false},
        {"D:\\Users\\u\\AppData\\Local\\Programs\\Tunewell", false},
        {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(NamesFolder(c.location, folder), c.names) << c.location;
    EXPECT_FALSE(NamesFolder("", ""));
    EXPECT_FALSE(NamesFolder("\\", ""));
    // Only ASCII letters are folded: other letters must match as they are.
    EXPECT_TRUE(NamesFolder("D:\\音乐工具\\Tunewell", "d:/音乐工具/tunewell"));
}

// Records the writes KeepRecordInStep asks for.
struct WriteLog {
    std::vector<std::tuple<InstallScope, std::string, std::string>> writes;
    InstallValueWriter Writer() {
        return [this](InstallScope scope, const std::string& name, const std::string& value) {
            writes.emplace_back(scope, name, value);
            return true;
        };
    }
};

TEST(InstallEntry, DisplayVersionFollowsTheProgramOnlyForItsOwnEntry) {
    const std::string folder = "C:\\Tools\\Tunewell";
    const std::vector<InstallRecord> records = {
        {InstallScope::kUser, "C:\\Elsewhere\\Tunewell", "2.4"},
        {InstallScope::kMachine, "c:/tools/tunewell", "2.4"},
    };
    WriteLog log;
    KeepRecordInStep(records, folder, "2.5", log.Writer());
    ASSERT_EQ(log.writes.size(), 1u);
    EXPECT_EQ(log.writes[0], std::make_tuple(InstallScope::kMachine, std::string("DisplayVersion"), std::string("2.5")));

    WriteLog same;
    KeepRecordInStep(records, folder, "2.4", same.Writer());
    EXPECT_TRUE(same.writes.empty()) << "nothing to bring in step";

    WriteLog none;
    KeepRecordInStep(records, "C:\\Portable\\Tunewell", "2.5", none.Writer());
    KeepRecordInStep({}, folder, "2.5", none.Writer());
    EXPECT_TRUE(none.writes.empty()) << "a copy without an entry of its own changes none";
}

// A per-user install can write its own folder, as an unpacked copy can:
// only the installer's entry tells them apart. Both keep Config.ini beside
// themselves; the installed one saves songs in the music folder.
TEST(InstallEntry, AnInstalledCopySavesSongsInTheMusicFolderAndKeepsItsSettings) {
    const platform::FolderFacts own{true, true, true};
    const platform::FolderFacts readOnly{true, false, false};
    const struct {
        const char* what;
        platform::FolderFacts folder;
        bool record;
        Placement settings, songs;
    } cases[] = {
        {"unpacked copy", own, false, Placement::kBesideProgram, Placement::kBesideProgram},
        {"per-user install", own, true, Placement::kBesideProgram, Placement::kUserFolders},
        {"install the user cannot write", readOnly, true, Placement::kUserFolders, Placement::kUserFolders},
        {"read-only unpacked copy", readOnly, false, Placement::kUserFolders, Placement::kUserFolders},
    };
    for (const auto& c : cases) {
        PlaceFacts facts{"C:\\Tools\\Tunewell", {"/usr"}, c.folder, "C:\\Roaming", "C:\\Users\\u"};
        facts.installerRecord = c.record;
        EXPECT_EQ(PlacementFor(facts), c.settings) << c.what;
        EXPECT_EQ(SongPlacementFor(facts), c.songs) << c.what;
        EXPECT_EQ(SettingsFolderFor(facts) == facts.programFolder, c.settings == Placement::kBesideProgram) << c.what;
    }
}

}  // namespace
}  // namespace tunewell::settings
