#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "download/file_download_transfer.h"
#include "transfer/file_download.h"
#include "support/demo_site_fixture.h"
#include "support/fake_ui.h"
#include "update/program_updater.h"
#include "update/update_script.h"
#include "platform/temp_folder.h"
#include "support/site_urls.h"

namespace tunewell::update {
namespace {

namespace stdfs = std::filesystem;

TEST(UpdateScript, VbsTextIsTheTwentyThreeLinesWithCrLf) {
    const std::string text = BuildUpdateVbs("MyTool", "C:\\Temp\\Tunewell.exe", "C:\\Program");
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (auto at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", start)) {
        lines.push_back(text.substr(start, at - start));
        start = at + 2;
    }
    EXPECT_EQ(start, text.size());  // the last line ends in CR LF too
    ASSERT_EQ(lines.size(), 23u);
    EXPECT_EQ(lines[1], "ExeName=\"MyTool.exe\"");
    EXPECT_EQ(lines[2], "File=\"C:\\Temp\\Tunewell.exe\"");
    EXPECT_EQ(lines[3], "FileNew=\"C:\\Program\\MyTool.exe\"");
    EXPECT_EQ(lines[4], "VbsName=\"C:\\Program\\UpDate.vbs\"");
    EXPECT_EQ(lines[6], "Set Shell = WScript.CreateObject(\"WScript.Shell\") ");
    EXPECT_EQ(lines[8], "Shell.Run \"TASKKILL /im \" & ExeName & \"\",0");
    EXPECT_EQ(lines[19], "   Fso.DeleteFile (VbsName)");
    EXPECT_EQ(lines[22], "Set Fso=Nothing");
}

TEST(UpdateScript, ShellQuotingKeepsEveryByte) {
    EXPECT_EQ(ShellQuote("a b"), "'a b'");
    EXPECT_EQ(ShellQuote("it's"), "'it'\\''s'");
    EXPECT_EQ(ShellQuote("$(x)`y`\"z\""), "'$(x)`y`\"z\"'");
}

// Runs the companion script for real in a folder whose name would break or
// abuse an unquoted script: the new file must replace the program, the new
// program must run, nothing else may run, and the script must be gone.
TEST(UpdateScript, CompanionScriptSwapsTheProgramInAHostileFolder) {
    const stdfs::path base = stdfs::temp_directory_path() / ("tw-upd-" + std::to_string(::getpid()));
    stdfs::remove_all(base);
    const stdfs::path folder = base / "a b'$(touch PWNED)\"`touch PWNED2`";
    stdfs::create_directories(folder);
    const std::string exe = "tw-fake-program-" + std::to_string(::getpid());
    std::ofstream(folder / exe) << "old";
    stdfs::permissions(folder / exe, static_cast<stdfs::perms>(0755));  // kept by the swap
    const stdfs::path download = base / "new download";
    std::ofstream(download) << "#!/bin/sh\necho started > \"$PWD/ran\"\n";

    std::ofstream(folder / "UpDate.sh") << BuildUpdateSh(exe, download.string(), folder.string());
    const std::string command = "cd " + ShellQuote(base.string()) + " && /bin/sh " +
                                ShellQuote((folder / "UpDate.sh").string()) + " >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0);

    std::stringstream program;
    program << std::ifstream(folder / exe).rdbuf();
    EXPECT_EQ(program.str().substr(0, 9), "#!/bin/sh");
    EXPECT_TRUE(stdfs::exists(folder / "ran"));  // started from the program folder
    EXPECT_FALSE(stdfs::exists(folder / "UpDate.sh"));
    EXPECT_FALSE(stdfs::exists(base / "PWNED"));
    EXPECT_FALSE(stdfs::exists(base / "PWNED2"));
    EXPECT_FALSE(stdfs::exists("PWNED"));
    stdfs::remove_all(base);
}

class FakeTransfer : public download::SongTransfer {
public:
    bool StartDownloading(const std::string& source, const std::string& destination) override {
        sources.push_back(source);
        destinations.push_back(destination);
        return result;
    }
    void AbortDownloading() override {}
    bool result = false;
    std::vector<std::string> sources, destinations;
};

class RecordingBar : public ports::ProgressBar {
public:
    void SetValue(int percent) override { value = percent; }
    void SetText(const std::string& text) override { texts.push_back(text); }
    int value = -1;
    std::vector<std::string> texts;
};

TEST(ProgramUpdater, FailedDownloadOffersTheManualAddressAndEndsNothing) {
    RecordingBar bar;
    testing::ScriptedPump pump;
    std::string failure;
    bool ended = false;
    FakeTransfer transfer;
    UpdateGlobals globals;
    ProgramUpdater updater({bar, pump, [&](const std::string& text) { failure = text; },
                            [&] { ended = true; }},
                           transfer, globals, "/nonexistent", "Tunewell");
    updater.StartUpdate();
    ASSERT_EQ(transfer.sources.size(), 1u);
    EXPECT_EQ(transfer.sources[0], testing::VersionUrl("/upload/tunewell.exe"));
    // A private folder of its own under the temporary folder, gone again.
    const stdfs::path download(transfer.destinations[0]);
    EXPECT_EQ(download.filename(), "Tunewell.exe");
    EXPECT_EQ(download.parent_path().string().rfind(platform::TempFolder() + "tunewell-update-", 0), 0u);
    EXPECT_FALSE(stdfs::exists(download.parent_path()));
    EXPECT_EQ(bar.texts.back(), "升级失败");
    EXPECT_EQ(failure, "升级失败,请点击这里手动下载升级！");
    EXPECT_EQ(globals.UpdateLink, testing::VersionUrl("/upload/tunewell.exe"));
    EXPECT_FALSE(ended);

    updater.ShowProgress(450, 1000, 120);
    EXPECT_EQ(bar.texts.back(), "已下载45% 120KB/S");
    EXPECT_EQ(bar.value, 45);
    updater.ShowProgress(0, 1000, 5);
    updater.ShowProgress(10, 0, 5);
    EXPECT_EQ(bar.texts.back(), "已下载45% 120KB/S");
}

}  // namespace
}  // namespace tunewell::update

namespace tunewell::update {
namespace {

// The whole in-program update against the demo site, in a temporary folder
// with a stand-in program of a unique name: the download arrives, the
// companion script replaces the stand-in, starts it and removes itself.
class InProgramUpdate : public testing::DemoSiteTest {};

TEST_F(InProgramUpdate, CompanionScriptReplacesAndRestartsTheProgram) {
    const stdfs::path folder = stdfs::temp_directory_path() / ("tw-inprog-" + std::to_string(::getpid()));
    stdfs::remove_all(folder);
    stdfs::create_directories(folder / "tmp");
    const std::string exe = "tw-standin-" + std::to_string(::getpid());
    std::ofstream(folder / exe) << "old program";
    stdfs::permissions(folder / exe, static_cast<stdfs::perms>(0755));
    Options().programBytes = "#!/bin/sh\necho restarted > \"$PWD/restarted\"\n";
    const char* savedTmp = std::getenv("TMPDIR");
    const std::string saved = savedTmp ? savedTmp : "";
    ::setenv("TMPDIR", (folder / "tmp").c_str(), 1);

    transfer::CFileDownload fileDownload;
    download::FileDownloadTransfer transfer(fileDownload);
    RecordingBar bar;
    testing::ScriptedPump pump;
    int ended = 0;
    UpdateGlobals globals;
    ProgramUpdater updater({bar, pump, nullptr, [&] { ++ended; }}, transfer, globals, folder.string(), exe);
    updater.StartUpdate();
    savedTmp ? ::setenv("TMPDIR", saved.c_str(), 1) : ::unsetenv("TMPDIR");

    EXPECT_EQ(bar.texts.back(), "升级完毕");
    EXPECT_EQ(ended, 1);
    for (int wait = 0; wait < 100 && (stdfs::exists(folder / "UpDate.sh") || !stdfs::exists(folder / "restarted")); ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    std::stringstream program;
    program << std::ifstream(folder / exe).rdbuf();
    EXPECT_EQ(program.str(), "#!/bin/sh\necho restarted > \"$PWD/restarted\"\n");
    EXPECT_TRUE(stdfs::exists(folder / "restarted"));
    EXPECT_FALSE(stdfs::exists(folder / "UpDate.sh"));
    EXPECT_TRUE(globals.UpdateLink.empty());
    stdfs::remove_all(folder);
}

}  // namespace
}  // namespace tunewell::update
