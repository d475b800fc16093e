// SPDX-License-Identifier: GPL-3.0-or-later
// Songs of the demo site whose titles and addresses aim at files the
// program depends on, downloaded by real runs into a folder that holds
// such files: those stay as they were, and every song is saved under an
// audio name Windows takes too.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "demo_site/demo_catalogue.h"
#include "download/download_run.h"
#include "transfer/file_download_fetch.h"
#include "net/cookie_store.h"
#include "support/download_run_fixture.h"
#include "support/fake_ui.h"
#include "support/temp_folder.h"
#include "transfer/file_download.h"
#include "text/number.h"

namespace tunewell::download {
namespace {

namespace stdfs = std::filesystem;

// What a folder beside the program holds, and what must survive a run.
const std::vector<std::pair<std::string, std::string>> kProgramFiles = {
    {"Config.ini", "[Config]\r\n"},          {"CMakeCache.txt", "CMAKE_HOME_DIRECTORY:INTERNAL=/src\n"},
    {"cmake_install.cmake", "# install\n"},  {"qt.conf", "[Paths]\n"},
    {"Qt6Core.dll", "MZ core"},              {"tunewell-cli.exe", "MZ cli"},
};

class SaveNamesRunTest : public testing::DownloadRunTest {
protected:
    void SetUp() override {
        DownloadRunTest::SetUp();
        for (const auto& [name, bytes] : kProgramFiles) testing::WriteBytes(temp_.File(name), bytes);
    }
    void AddRows(const std::vector<std::pair<int, std::string>>& rows) {
        for (const auto& [id, name] : rows) AddRow(id, name);
    }
    // The files the run saved: everything but the program's.
    std::set<std::string> Saved() const {
        std::set<std::string> names = FileNames();
        for (const auto& [name, bytes] : kProgramFiles) {
            EXPECT_EQ(testing::ReadBytes(temp_.File(name)), bytes) << name << " was touched";
            names.erase(name);
        }
        return names;
    }
};

// The rows as a list page would show these songs.
const std::vector<std::pair<int, std::string>> kTrapRows = {
    {demo::kSongInstallScript, "cmake_install"}, {demo::kSongQtConf, "qt"},
    {demo::kSongQtLibrary, "Qt6Core"},           {demo::kSongCliProgram, "tunewell-cli"},
    {demo::kSongCMakeCache, "CMakeCache"},       {demo::kSongDeviceCon, "CON"},
    {demo::kSongDeviceLpt, "Lpt1"},              {demo::kSongDeviceNul, "nul"},
    {demo::kSongTrailingDots, "再见"},           {demo::kSongQueryFlac, "问号地址"},
};

TEST_F(SaveNamesRunTest, SongsNeverReplaceProgramFilesNorNameDevices) {
    AddRows(kTrapRows);
    run_.cmdDown_Click();
    EXPECT_EQ(run_.Succeeded(), 10) << ::testing::PrintToString(controls_.reasons);
    EXPECT_EQ(Saved(), (std::set<std::string>{"cmake_install.mp3", "qt.mp3", "Qt6Core.mp3", "tunewell-cli.mp3",
                                              "CMakeCache.mp3", "CON_.mp3", "Lpt1_.flac", "nul_.ogg", "再见.mp3",
                                              "问号地址.flac"}));
    EXPECT_EQ(Read("cmake_install.mp3"), demo::AudioContent(demo::kSongInstallScript));
    EXPECT_EQ(Read("问号地址.flac"), demo::AudioContent(demo::kSongQueryFlac));
}

// Titles and addresses that would make a hidden file or the settings file:
// the songs are saved under other names, and the real Config.ini stays.
TEST_F(SaveNamesRunTest, PagesCannotNameHiddenFilesOrTheProgramsOwn) {
    AddRows({{demo::kSongDotTitle, "..."}, {demo::kSongSettingsName, "x"}, {demo::kSongDotTitle, "歌名"},
             {demo::kSongDeviceCon, "CON"}, {demo::kSongDeviceCon, "con"}});
    run_.cmdDown_Click();
    EXPECT_EQ(Saved(), (std::set<std::string>{"Config.mp3", "song.mp3", "歌名.mp3", "CON_.mp3", "CON (2).mp3"}));
    EXPECT_EQ(Read("song.mp3"), demo::AudioContent(demo::kSongDotTitle));
}

}  // namespace
}  // namespace tunewell::download
