// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include <cstdint>
#include <string>
#include <vector>

#include "settings/config.h"
#include "support/temp_folder.h"

namespace tunewell::settings {
namespace {

using testing::TempFolder;
using testing::WriteBytes;

class LoadConfigTest : public ::testing::Test {
protected:
    Config LoadWith(const std::string& lines) {
        WriteBytes(ConfigPath(folder_.path()), "[Config]\r\n" + lines);
        return Load();
    }
    Config Load() {
        Config config;
        LoadConfig(config, folder_.path());
        return config;
    }

    TempFolder folder_;
};

TEST_F(LoadConfigTest, MissingFileGivesTheDefaults) {
    const Config config = Load();
    EXPECT_EQ(config.ListUrl, "");
    EXPECT_EQ(config.SavePath, folder_.path());
    EXPECT_EQ(config.GetPage, 1);
    EXPECT_EQ(config.LoginName, "");
    EXPECT_EQ(config.LoginPass, "");
    EXPECT_EQ(config.AddID, 0);
}

TEST_F(LoadConfigTest, ReadsEveryKeyWhateverTheCaseOfItsName) {
    WriteBytes(ConfigPath(folder_.path()),
               "[config]\r\nlisturl=http://music.example/top\r\nsavepath=/songs\r\n"
               "GETPAGE=7\r\nloginname=me\r\nLoginPass=p w\r\naddid=1\r\naria2secret=s3\r\n");
    const Config config = Load();
    EXPECT_EQ(config.ListUrl, "http://music.example/top");
    EXPECT_EQ(config.SavePath, "/songs");
    EXPECT_EQ(config.GetPage, 7);
    EXPECT_EQ(config.LoginName, "me");
    EXPECT_EQ(config.LoginPass, "p w");
    EXPECT_EQ(config.AddID, 1);
    EXPECT_EQ(config.Aria2Secret, "s3");
}

// What the list button and the settings window save is what the next load
// reads; a save that cannot be stored says so.
TEST_F(LoadConfigTest, SavedFieldsLoadBackAndFailedSavesAreReported) {
    const std::string file = ConfigPath(folder_.path());
    EXPECT_TRUE(SaveListFields(file, "http://list/1", "/first"));
    EXPECT_TRUE(SaveSettingsFields(file, {"/songs", "4", "me", "pw", true}));
    const Config config = Load();
    EXPECT_EQ(config.ListUrl, "http://list/1");
    EXPECT_EQ(config.SavePath, "/songs");
    EXPECT_EQ(config.GetPage, 4);
    EXPECT_EQ(config.LoginName, "me");
    EXPECT_EQ(config.LoginPass, "pw");
    EXPECT_EQ(config.AddID, 1);
    EXPECT_FALSE(SaveListFields(folder_.File("absent/Config.ini"), "a", "b"));
    EXPECT_FALSE(SaveSettingsFields(folder_.File("absent/Config.ini"), {}));
}

struct NumberCase {
    std::string stored;
    std::int16_t expected;
};

TEST_F(LoadConfigTest, GetPageBecomesAWholeNumberAndZeroBecomesOne) {
    const std::vector<NumberCase> cases = {
        {"GetPage=0", 1},       {"GetPage=", 1},          {"GetPage=abc", 1},
        {"", 1},                {"GetPage=-2", -2},       {"GetPage=2.5", 2},
        {"GetPage=3.5", 4},     {"GetPage=2.6", 3},       {"GetPage=0.4", 1},
        {"GetPage=-2.5", -2},   {"GetPage= 12 ", 12},     {"GetPage=32767", 32767},
        {"GetPage=32768", 1},   {"GetPage=-32768", -32768}, {"GetPage=-32769", 1},
        {"GetPage=1e300", 1},   {"GetPage=32767.5", 1},
    };
    for (const NumberCase& c : cases) {
        EXPECT_EQ(LoadWith(c.stored + "\r\n").GetPage, c.expected) << c.stored;
    }
}

TEST_F(LoadConfigTest, AddIdBecomesAWholeNumber) {
    const std::vector<NumberCase> cases = {
        {"AddID=1", 1},   {"AddID=1.0", 1}, {"AddID=yes", 0},   {"AddID=0", 0},
        {"", 0},          {"AddID=0.5", 0}, {"AddID=70000", 0}, {"AddID=-1", -1},
    };
    for (const NumberCase& c : cases) {
        EXPECT_EQ(LoadWith(c.stored + "\r\n").AddID, c.expected) << c.stored;
    }
}

// Songs at a time: 1 keeps the one-after-another run; anything else is
// brought into 1..8 rather than refused.
TEST_F(LoadConfigTest, JobsIsClampedToOneToEight) {
    const std::vector<NumberCase> cases = {
        {"", 1},         {"Jobs=", 1},     {"Jobs=abc", 1},   {"Jobs=1", 1},    {"Jobs=3", 3},
        {"Jobs=8", 8},   {"Jobs=9", 8},    {"Jobs=0", 1},     {"Jobs=-4", 1},   {"Jobs=2.5", 2},
        {"Jobs=1e300", 8}, {"jobs=5", 5},  {"Jobs=70000", 8},
    };
    for (const NumberCase& c : cases) {
        EXPECT_EQ(LoadWith(c.stored + "\r\n").Jobs, c.expected) << c.stored;
    }
}

// Retries and the speed limit: 0 (the single attempt, no limit) unless a
// number says otherwise, brought within their ranges rather than refused.
TEST_F(LoadConfigTest, RetriesAndSpeedLimitAreBroughtWithinTheirRanges) {
    const std::vector<NumberCase> retries = {
        {"", 0}, {"Retries=abc", 0}, {"Retries=2", 2}, {"Retries=10", 10}, {"Retries=11", 10},
        {"Retries=-1", 0}, {"Retries=2.5", 2}, {"Retries=1e300", 10}, {"retries=3", 3},
    };
    for (const NumberCase& c : retries) EXPECT_EQ(LoadWith(c.stored + "\r\n").Retries, c.expected) << c.stored;
    const std::vector<std::pair<std::string, std::int32_t>> speeds = {
        {"", 0}, {"SpeedLimit=x", 0}, {"SpeedLimit=500", 500}, {"SpeedLimit=-5", 0}, {"SpeedLimit=70000", 70000},
        {"SpeedLimit=1e300", 10000000},
    };
    for (const auto& [stored, expected] : speeds) EXPECT_EQ(LoadWith(stored + "\r\n").SpeedLimit, expected) << stored;
}

TEST_F(LoadConfigTest, LongValuesAreCutAtTheirLimits) {
    const std::string zhongGbk = "\xD6\xD0";
    const Config config = LoadWith("ListUrl=" + std::string(300, 'u') + "\r\nSavePath=/" +
                                   std::string(98, 's') + zhongGbk + std::string(19, 't') +
                                   "\r\nLoginName=" + std::string(120, 'n') + "\r\n");
    EXPECT_EQ(config.ListUrl, std::string(300, 'u').substr(0, 255));
    EXPECT_EQ(config.SavePath, "/" + std::string(98, 's'));
    EXPECT_EQ(config.LoginName, std::string(100, 'n'));
    EXPECT_EQ(LoadWith("SavePath=   \r\n").SavePath, folder_.path());
}

// A program folder the user can write keeps Config.ini; an installed one
// the user cannot write sends it to the user's own settings folder, created
// on first use. A missing folder is no installation: it stays, and writes
// to it fail visibly.
TEST(ConfigPathTest, FollowsTheWritableFolder) {
    TempFolder program;
    TempFolder home;
    ::setenv("XDG_CONFIG_HOME", home.path().c_str(), 1);
    EXPECT_EQ(ConfigPath(program.path()), program.File("Config.ini"));
    EXPECT_EQ(ConfigPath(program.File("missing")), program.File("missing/Config.ini"));
    const std::string installed = program.File("lib");
    ::mkdir(installed.c_str(), 0555);
    if (::access(installed.c_str(), W_OK) != 0) {  // root writes anywhere
        EXPECT_EQ(ConfigPath(installed), home.File("tunewell/Config.ini"));
        EXPECT_EQ(testing::ModeOf(home.File("tunewell")), 0700u);
    }
    ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace tunewell::settings
