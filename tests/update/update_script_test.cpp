// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "transfer/file_download_fetch.h"
#include "transfer/file_download.h"
#include "support/demo_site_fixture.h"
#include "support/fake_ui.h"
#include "update/program_updater.h"
#include "update/update_script.h"
#include "platform/temp_folder.h"
#include "support/process_tables.h"
#include "support/site_urls.h"
#include "support/temp_folder.h"
#include "support/update_signing.h"

namespace tunewell::update {
namespace {

namespace stdfs = std::filesystem;

TEST(UpdateScript, ShellQuotingKeepsEveryByte) {
    EXPECT_EQ(ShellQuote("a b"), "'a b'");
    EXPECT_EQ(ShellQuote("it's"), "'it'\\''s'");
    EXPECT_EQ(ShellQuote("$(x)`y`\"z\""), "'$(x)`y`\"z\"'");
}

// Runs the companion script for real in a folder whose name would break or
// abuse an unquoted script: the new file must replace the program, the new
// program must run, nothing else may run, and the script must be gone.
TEST(UpdateScript, CompanionScriptSwapsTheProgramInAHostileFolder) {
    testing::TempFolder temp;
    const stdfs::path base = temp.path();
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
}

class FakeTransfer : public transfer::FileFetch {
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
    updater.SetSelfUpdate(true);
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
    EXPECT_EQ(updater.FailureCause(), "下载失败");  // all this transfer can tell
    EXPECT_EQ(globals.UpdateLink, testing::VersionUrl("/upload/tunewell.exe"));
    EXPECT_FALSE(ended);

    updater.ShowProgress(450, 1000, 120);
    EXPECT_EQ(bar.texts.back(), "已下载45% 120KB/S");
    EXPECT_EQ(bar.value, 45);
    updater.ShowProgress(0, 1000, 5);
    updater.ShowProgress(10, 0, 5);
    EXPECT_EQ(bar.texts.back(), "已下载45% 120KB/S");
}

// A transfer that "downloads" fixed bytes into the target, and into a
// ".sig" target their signature as version 2.6 with the test key. Its
// server announces `announced` bytes for the program (0: no length).
class WritingTransfer : public transfer::FileFetch {
public:
    explicit WritingTransfer(std::string bytes) : bytes_(std::move(bytes)) {}
    bool StartDownloading(const std::string& source, const std::string& destination) override {
        signature_ = source.ends_with(".sig");
        if (signature_) {
            testing::WriteBytes(destination, testing::SignatureFileFor(testing::TestUpdateKey(), "2.6", bytes_));
            return true;
        }
        std::ofstream(destination, std::ios::binary) << bytes_;
        destinations.push_back(destination);
        return true;
    }
    void AbortDownloading() override {}
    std::int64_t AnnouncedLength() const override { return signature_ ? 0 : announced; }
    std::vector<std::string> destinations;
    std::int64_t announced = 0;

private:
    std::string bytes_;
    bool signature_ = false;
};

struct UpdateOutcome {
    std::string failure;
    int ended = 0;
    std::vector<std::string> downloads;
    std::string link;
    std::vector<std::string> bar;
};

UpdateOutcome RunUpdater(const std::string& bytes, const std::string& folder, const std::string& exe,
                         bool selfUpdate = true, const std::string& offered = "2.6",
                         std::int64_t announced = 0) {
    RecordingBar bar;
    testing::ScriptedPump pump;
    UpdateOutcome outcome;
    WritingTransfer transfer(bytes);
    transfer.announced = announced;
    UpdateGlobals globals;
    globals.OfferedVersion = offered;
    ProgramUpdater updater({bar, pump, [&](const std::string& text) { outcome.failure = text; },
                            [&] { ++outcome.ended; }},
                           transfer, globals, folder, exe);
    updater.SetUpdateKey(testing::TestUpdateKey().publicHex);
    updater.SetSelfUpdate(selfUpdate);
    updater.StartUpdate();
    outcome.link = globals.UpdateLink;
    outcome.bar = bar.texts;
    outcome.downloads = transfer.destinations;
    return outcome;
}

// A download that is no program for this platform, or a companion script
// that cannot be written, fails the update: the program keeps running, the
// old program file and the folder stay as they were, nothing is left in
// the temporary folder.
TEST(ProgramUpdater, OnlyAStartableDownloadAndAWrittenScriptEndTheProgram) {
    testing::TempFolder base;
    const std::string folder = base.File("program");
    stdfs::create_directories(folder);
    testing::WriteBytes(folder + "/Tunewell", "old program");
    const struct {
        const char* what;
        std::string bytes;
        std::string folder;
    } cases[] = {
        {"empty", "", folder},
        {"html page", "<HTML><BODY>500</BODY></HTML>", folder},
        {"plain text", "echo hi\n", folder},
        {"shell script", "#!/bin/sh\nexit 0\n", folder},
        {"missing program folder", testing::StandInProgram(), base.File("missing")},
        {"folder named UpDate.sh", testing::StandInProgram(), base.File("blocked")},
    };
    stdfs::create_directories(base.File("blocked") + "/UpDate.sh");
    for (const auto& c : cases) {
        const UpdateOutcome outcome = RunUpdater(c.bytes, c.folder, "Tunewell");
        EXPECT_EQ(outcome.failure, "升级失败,请点击这里手动下载升级！") << c.what;
        EXPECT_EQ(outcome.ended, 0) << c.what;
        ASSERT_EQ(outcome.downloads.size(), 1u) << c.what;
        EXPECT_FALSE(stdfs::exists(stdfs::path(outcome.downloads[0]).parent_path())) << c.what;
    }
    EXPECT_EQ(testing::ReadBytes(folder + "/Tunewell"), "old program");
    EXPECT_FALSE(stdfs::exists(folder + "/UpDate.sh"));
    EXPECT_TRUE(stdfs::is_directory(base.File("blocked") + "/UpDate.sh"));
}

// A genuine program signed as 2.6 but announced as 9.9 is refused like a
// failed download; so is everything in a build without self-update, which
// downloads nothing and only offers the manual download.
TEST(ProgramUpdater, ReplayedVersionsAndPackagedBuildsReplaceNothing) {
    testing::TempFolder base;
    testing::WriteBytes(base.File("Tunewell"), "old program");
    const std::string program = testing::StandInProgram();
    const UpdateOutcome replay = RunUpdater(program, base.path(), "Tunewell", true, "9.9");
    EXPECT_EQ(replay.failure, "升级失败,请点击这里手动下载升级！");
    EXPECT_EQ(replay.ended, 0);
    // Shorter than its server announced: cut off on the way.
    const auto longer = static_cast<std::int64_t>(program.size()) + 1;
    const UpdateOutcome cut = RunUpdater(program, base.path(), "Tunewell", true, "2.6", longer);
    EXPECT_EQ(cut.failure, "升级失败,请点击这里手动下载升级！");
    EXPECT_EQ(cut.ended, 0);
    const UpdateOutcome packaged = RunUpdater(program, base.path(), "Tunewell", false);
    EXPECT_TRUE(packaged.downloads.empty());
    EXPECT_EQ(packaged.failure, ProgramUpdater::kManualOnlyText);
    EXPECT_EQ(packaged.link, testing::VersionUrl("/upload/tunewell.exe"));
    EXPECT_EQ(packaged.ended, 0);
    EXPECT_EQ(testing::ReadBytes(base.File("Tunewell")), "old program");
    EXPECT_FALSE(stdfs::exists(base.File("UpDate.sh")));
}

// A link named UpDate.sh is replaced by the script, never written through,
// and a backslash in the folder's name is an ordinary character.
TEST(ProgramUpdater, ScriptReplacesALinkInAFolderWithABackslash) {
    testing::TempFolder base;
    const std::string folder = base.File("back\\slash");
    stdfs::create_directories(folder);
    testing::WriteBytes(base.File("victim"), "keep");
    stdfs::create_symlink(base.File("victim"), folder + "/UpDate.sh");
    const std::string exe = "tw-standin-" + std::to_string(::getpid());
    const mode_t mask = ::umask(027);  // inherited by the script
    const std::string program = testing::StandInProgram();
    const UpdateOutcome outcome = RunUpdater(program, folder, exe);
    ::umask(mask);
    EXPECT_EQ(outcome.ended, 1);
    EXPECT_TRUE(outcome.failure.empty());
    EXPECT_EQ(testing::ReadBytes(base.File("victim")), "keep");
    EXPECT_FALSE(stdfs::exists(base.File("back")));
    // The script installs and starts the stand-in, then removes itself.
    for (int wait = 0; wait < 200 && stdfs::exists(stdfs::symlink_status(folder + "/UpDate.sh")); ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_EQ(testing::ReadBytes(folder + "/" + exe), program);
    EXPECT_EQ(stdfs::status(folder + "/" + exe).permissions(), static_cast<stdfs::perms>(0750));  // 0755 less the umask
    EXPECT_EQ(testing::ReadBytes(base.File("victim")), "keep");
}

// The companion script against live processes, inside a private process
// space so it can see no process of anyone else: the old program (started
// from the file being replaced) is ended, a same-named program in another
// folder keeps running, the new program runs.
TEST(UpdateScript, EndsTheOldProgramButNotASameNamedOneElsewhere) {
    if (!testing::PrivateProcessSpaceAvailable()) GTEST_SKIP() << "no private process space (unshare --pid) here";
    testing::TempFolder base;
    const std::string folder = base.File("here"), elsewhere = base.File("elsewhere");
    for (const auto& f : {folder, elsewhere}) {
        stdfs::create_directories(f);
        stdfs::copy_file("/bin/sleep", f + "/Tunewell");
    }
    testing::WriteBytes(base.File("download"), "#!/bin/sh\necho new > \"$PWD/ran\"\n");
    testing::WriteBytes(folder + "/UpDate.sh", BuildUpdateSh("Tunewell", base.File("download"), folder));
    const std::string inner =
        "cd " + ShellQuote(base.path()) + " || exit 9\n"
        "here=" + ShellQuote(folder + "/Tunewell") + "; there=" + ShellQuote(elsewhere + "/Tunewell") + "\n"
        "\"$here\" 60 & old=$!\n"
        "\"$there\" 60 & other=$!\n"
        "until [ \"$(readlink /proc/$old/exe)\" = \"$here\" ] && [ \"$(readlink /proc/$other/exe)\" = \"$there\" ];"
        " do sleep 0.01; done\n"
        "/bin/sh " + ShellQuote(folder + "/UpDate.sh") + "\n"
        "wait $old; echo $? > old-status\n"
        "kill -0 $other && echo running > other-state\n";
    const std::string command = "unshare --pid --fork --mount-proc /bin/sh -c " + ShellQuote(inner);
    EXPECT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(testing::ReadBytes(base.File("old-status")), "143\n");  // ended by SIGTERM
    EXPECT_EQ(testing::ReadBytes(base.File("other-state")), "running\n");
    EXPECT_EQ(testing::ReadBytes(folder + "/ran"), "new\n");
    EXPECT_FALSE(stdfs::exists(base.File("download")));
    EXPECT_FALSE(stdfs::exists(folder + "/UpDate.sh"));
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
    testing::TempFolder temp;
    const stdfs::path folder = temp.path();
    stdfs::create_directories(folder / "tmp");
    const std::string exe = "tw-standin-" + std::to_string(::getpid());
    std::ofstream(folder / exe) << "old program";
    stdfs::permissions(folder / exe, static_cast<stdfs::perms>(0755));
    const std::string program = testing::StandInProgram();
    Options().programBytes = program;
    Options().latestVersion = "2.6";
    const char* savedTmp = std::getenv("TMPDIR");
    const std::string saved = savedTmp ? savedTmp : "";
    ::setenv("TMPDIR", (folder / "tmp").c_str(), 1);
    // The stand-in, once started by the script, writes its working folder here.
    ::setenv("TUNEWELL_STANDIN_MARK", (folder / "restarted").c_str(), 1);

    transfer::CFileDownload fileDownload;
    transfer::FileDownloadFetch transfer(fileDownload);
    RecordingBar bar;
    testing::ScriptedPump pump;
    int ended = 0;
    UpdateGlobals globals;
    globals.OfferedVersion = "2.6";
    ProgramUpdater updater({bar, pump, nullptr, [&] { ++ended; }}, transfer, globals, folder.string(), exe);
    updater.SetUpdateKey(testing::TestUpdateKey().publicHex);
    updater.SetSelfUpdate(true);
    updater.StartUpdate();
    savedTmp ? ::setenv("TMPDIR", saved.c_str(), 1) : ::unsetenv("TMPDIR");

    EXPECT_EQ(bar.texts.back(), "升级完毕");
    EXPECT_EQ(ended, 1);
    for (int wait = 0; wait < 100 && (stdfs::exists(folder / "UpDate.sh") || !stdfs::exists(folder / "restarted")); ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ::unsetenv("TUNEWELL_STANDIN_MARK");
    EXPECT_EQ(testing::ReadBytes((folder / exe).string()), program);
    EXPECT_EQ(testing::ReadBytes((folder / "restarted").string()), folder.string() + "\n");  // run in its folder
    EXPECT_FALSE(stdfs::exists(folder / "UpDate.sh"));
    EXPECT_TRUE(globals.UpdateLink.empty());
}

}  // namespace
}  // namespace tunewell::update

namespace tunewell::update {
namespace {

// A 1 GB program, or a 1 GB signature file, on offer: the download stops
// at the cap, the update fails with its cause, the program keeps running
// and the temporary folder holds nothing afterwards.
TEST_F(InProgramUpdate, AHugeDownloadFailsWithItsCauseAndLeavesNothing) {
    testing::TempFolder program;
    testing::ScopedTmpDir tmp;
    transfer::CFileDownload fileDownload;
    transfer::FileDownloadFetch transfer(fileDownload);
    RecordingBar bar;
    testing::ScriptedPump pump;
    std::string failure;
    int ended = 0;
    UpdateGlobals globals;
    globals.OfferedVersion = "2.5";
    ProgramUpdater updater({bar, pump, [&](const std::string& text) { failure = text; }, [&] { ++ended; }},
                           transfer, globals, program.path(), "Tunewell");
    updater.SetUpdateKey(testing::TestUpdateKey().publicHex);
    updater.SetSelfUpdate(true);
    const struct {
        std::uint64_t programSize, signatureSize;
        bool chunked;
        const char* cause;
    } cases[] = {
        {1ull << 30, 0, false, "下载的程序超过64MB的上限"},
        {1ull << 30, 0, true, "下载的程序超过64MB的上限"},
        {0, 1ull << 30, true, "没有找到有效的签名文件"},
    };
    for (const auto& c : cases) {
        Options().programSize = c.programSize;
        Options().signatureSize = c.signatureSize;
        Options().programChunked = c.chunked;
        const std::uint64_t before = Site().ProgramBytesSent();
        updater.StartUpdate();
        EXPECT_EQ(updater.FailureCause(), c.cause) << c.programSize << c.chunked;
        EXPECT_EQ(failure, "升级失败,请点击这里手动下载升级！");
        EXPECT_LT(Site().ProgramBytesSent() - before, 128ull << 20) << c.programSize << c.chunked;
        EXPECT_TRUE(tmp.Entries().empty()) << c.programSize << c.chunked;
    }
    EXPECT_EQ(ended, 0);
    EXPECT_FALSE(stdfs::exists(program.File("UpDate.sh")));
}

}  // namespace
}  // namespace tunewell::update
