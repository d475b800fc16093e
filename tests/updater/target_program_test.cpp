// SPDX-License-Identifier: GPL-3.0-or-later
// What UpDate replaces and ends on this platform, run on Linux and under
// wine: the main program's file beside the updater, and only a process
// started from that very file.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cctype>
#include <string>

#include "platform/program_folder.h"
#include "support/fake_process_table.h"
#include "updater/del_tunewell.h"
#include "updater/up_main.h"

namespace tunewell::updater {
namespace {

#ifdef _WIN32
constexpr const char* kProgram = "Tunewell.exe";
constexpr char kSeparator = '\\';
#else
constexpr const char* kProgram = "Tunewell";
constexpr char kSeparator = '/';
#endif

// The program's path as the system reports a running process's file.
std::string SystemForm(const std::string& folder, const char* name = kProgram) {
    return folder + kSeparator + name;
}

TEST(UpdaterTarget, IsTheMainProgramBesideTheUpdater) {
    const QFileInfo target(upMain::TargetPath());
    EXPECT_EQ(target.fileName().toStdString(), kProgram);
    EXPECT_EQ(target.absolutePath(), QDir(QCoreApplication::applicationDirPath()).absolutePath());
}

// The updater names the program with Qt's separators; the system reports
// its own. A program of that name in another folder, or another user's,
// keeps running.
TEST(UpdaterTarget, EndsOnlyTheRunningProgramOfItsOwnFolder) {
    const std::string folder = platform::ProgramFolder();
    const std::string elsewhere = folder + kSeparator + "elsewhere";
    testing::FakeProcessTable table;
    table.processes = {{11, SystemForm(elsewhere), true},
                       {12, SystemForm(folder), false},
                       {13, SystemForm(folder), true},
                       {14, SystemForm(folder, "UpDate.exe"), true},
                       {15, "", true}};
    const EndedProcess first = DelTunewell(table, upMain::TargetPath().toStdString());
    EXPECT_EQ(first.id, 13);
    EXPECT_EQ(table.ended, std::vector<std::int32_t>{13});
}

#ifdef _WIN32
// Windows compares file names without regard to case.
TEST(UpdaterTarget, WindowsMatchesThePathInAnyCase) {
    std::string upper = SystemForm(platform::ProgramFolder());
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    testing::FakeProcessTable table;
    table.processes = {{21, upper, true}};
    EXPECT_EQ(DelTunewell(table, upMain::TargetPath().toStdString()).id, 21);
}
#endif

}  // namespace
}  // namespace tunewell::updater
