// SPDX-License-Identifier: GPL-3.0-or-later
// Windows only: a copy the installer recorded, as the system sees it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/program_version.h"
#include "platform/install_record.h"
#include "platform/user_folders.h"
#include "platform/utf8_path.h"
#include "settings/config.h"
#include "settings/install_entry.h"
#include "settings/program_places.h"
#include "support/temp_folder.h"

namespace tunewell::settings {
namespace {

using platform::InstallRecord;
using platform::InstallScope;

// The installer's entry for the test's folder, written as the installer
// writes it and removed afterwards. A real installation's entry is never
// touched: the test is skipped where one exists.
class InstalledCopy : public ::testing::Test {
protected:
    void SetUp() override {
        if (!platform::InstallRecords(kUninstallEntry).empty()) GTEST_SKIP() << "Tunewell is installed here";
        ours_ = true;
        ASSERT_FALSE(temp_.path().empty());
        std::filesystem::create_directories(platform::Utf8Path(program_));
    }
    void TearDown() override {
        if (ours_) platform::RemoveInstallRecord(InstallScope::kUser, kUninstallEntry);
    }

    void Install(const std::string& location, const std::string& version) {
        const InstallRecord record{InstallScope::kUser, location, version};
        ASSERT_TRUE(platform::WriteInstallRecord(InstallScope::kUser, kUninstallEntry, record));
    }
    static std::string Backslashed(std::string path) {
        for (char& c : path) c = c == '/' ? '\\' : c;
        return path;
    }

    bool ours_ = false;
    testing::TempFolder temp_;
    const std::string program_ = temp_.File("程序 Tunewell");
};

TEST_F(InstalledCopy, SavesSongsInTheMusicFolderAndKeepsConfigBesideItself) {
    const std::string music = platform::XdgMusicFolder();
    ASSERT_FALSE(music.empty());
    EXPECT_EQ(DefaultSaveFolder(program_), program_) << "no entry: an unpacked copy";

    Install(Backslashed(program_) + "\\", "0.1");
    EXPECT_EQ(DefaultSaveFolder(program_), music);
    EXPECT_TRUE(std::filesystem::is_directory(platform::Utf8Path(music)));
    EXPECT_EQ(ConfigPath(program_), program_ + "/Config.ini");
    Config config;
    LoadConfig(config, program_);
    EXPECT_EQ(config.SavePath, music);

    // Another folder's entry makes this copy no installed one.
    Install(Backslashed(temp_.File("elsewhere")), "0.1");
    EXPECT_EQ(DefaultSaveFolder(program_), program_);
}

TEST_F(InstalledCopy, StartUpBringsDisplayVersionInStepWithTheProgram) {
    Install(Backslashed(temp_.File("elsewhere")), "0.1");
    KeepInstallRecordInStep(program_);
    ASSERT_EQ(platform::InstallRecords(kUninstallEntry).size(), 1u);
    EXPECT_EQ(platform::InstallRecords(kUninstallEntry)[0].displayVersion, "0.1") << "not this copy's entry";

    Install(Backslashed(program_), "0.1");
    KeepInstallRecordInStep(program_);
    const auto records = platform::InstallRecords(kUninstallEntry);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].displayVersion, base::kProgramVersion);
    EXPECT_EQ(records[0].location, Backslashed(program_));
}

}  // namespace
}  // namespace tunewell::settings
