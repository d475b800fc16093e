// SPDX-License-Identifier: GPL-3.0-or-later
// tunewell-cli's command line: the parser on its own, then the program
// itself against the demo site (help and version, wrong lines, the output
// folder for one run, Config.ini left alone without --save, no carriage
// returns into a pipe, Chinese messages).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli_folder_test.h"
#include "cli/command_line.h"
#include "cli/row_selection.h"
#include "download/save_names.h"
#include "support/demo_site_fixture.h"
#include "support/site_urls.h"
#include "support/temp_folder.h"

namespace tunewell::cli {
namespace {

namespace stdfs = std::filesystem;
using Action = CommandLine::Action;

TEST(CommandLine, OptionsStandAnywhere) {
    const struct {
        std::vector<std::string> args;
        Action action;
        std::string address, rows, output;
        bool save, thunder;
    } cases[] = {
        {{"list"}, Action::kList, "", "all", "", false, false},
        {{"list", "http://a"}, Action::kList, "http://a", "all", "", false, false},
        {{"list", "http://a", "--save"}, Action::kList, "http://a", "all", "", true, false},
        {{"--save", "-o", "/m", "list"}, Action::kList, "", "all", "/m", true, false},
        {{"download", "http://a"}, Action::kDownload, "http://a", "all", "", false, false},
        {{"download", "http://a", "1,3", "--thunder"}, Action::kDownload, "http://a", "1,3", "", false, true},
        {{"download", "-o", "d", "http://a", "2"}, Action::kDownload, "http://a", "2", "d", false, false},
        {{"download", "--output=/x y", "http://a"}, Action::kDownload, "http://a", "all", "/x y", false, false},
        {{"download", "-o/z", "http://a"}, Action::kDownload, "http://a", "all", "/z", false, false},
        {{"download", "--output", "-odd", "http://a"}, Action::kDownload, "http://a", "all", "-odd", false, false},
        {{"download", "--", "-weird-address"}, Action::kDownload, "-weird-address", "all", "", false, false},
    };
    for (const auto& c : cases) {
        const CommandLine line = ParseCommandLine(c.args);
        const std::string what = ::testing::PrintToString(c.args);
        EXPECT_EQ(line.action, c.action) << what << ": " << line.problem;
        EXPECT_EQ(line.address, c.address) << what;
        EXPECT_EQ(line.rows, c.rows) << what;
        EXPECT_EQ(line.output, c.output) << what;
        EXPECT_EQ(line.save, c.save) << what;
        EXPECT_EQ(line.thunder, c.thunder) << what;
    }
}

TEST(CommandLine, HelpAndVersionWinWrongLinesSayWhy) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"-h"}, {"--help"}, {"download", "--help"}, {"--bogus", "-h"}}) {
        EXPECT_EQ(ParseCommandLine(args).action, Action::kHelp) << ::testing::PrintToString(args);
    }
    EXPECT_EQ(ParseCommandLine({"-V"}).action, Action::kVersion);
    EXPECT_EQ(ParseCommandLine({"list", "--version"}).action, Action::kVersion);
    EXPECT_EQ(ParseCommandLine({"download", "--", "-h"}).action, Action::kDownload);  // an address after "--"
    const struct {
        std::vector<std::string> args;
        const char* problem;
    } wrong[] = {
        {{}, "缺少命令"},
        {{"fetch"}, "未知的命令：fetch"},
        {{"list", "--bogus"}, "未知的选项：--bogus"},
        {{"download"}, "download 需要一个列表地址"},
        {{"download", "a", "1", "2"}, "download 只接受"},
        {{"list", "a", "b"}, "list 只接受一个地址"},
        {{"list", "--thunder"}, "--thunder 只能用于 download"},
        {{"list", "--skip-saved"}, "--skip-saved 只能用于 download"},
        {{"list", "--tags"}, "--tags 只能用于 download"},
        {{"download", "a", "--t"}, "--t"},  // --thunder or --tags
        {{"download", "a", "--s"}, "--s"},  // --save or --skip-saved
        {{"download", "a", "-o"}, "选项 -o 需要一个文件夹"},
        {{"download", "a", "--output="}, "需要一个文件夹"},
    };
    for (const auto& c : wrong) {
        const CommandLine line = ParseCommandLine(c.args);
        EXPECT_EQ(line.action, Action::kWrong) << ::testing::PrintToString(c.args);
        EXPECT_NE(line.problem.find(c.problem), std::string::npos) << line.problem;
    }
}

// Spelled as getopt_long reads them: attached and bundled values, "=",
// shortened long names, and "--" ending the options.
TEST(CommandLine, UsualOptionSyntax) {
    const struct {
        std::vector<std::string> args;
        int jobs;
        bool quiet, json, save;
        std::string output, address;
    } cases[] = {
        {{"download", "-j4", "a"}, 4, false, false, false, "", "a"},
        {{"download", "--jobs=4", "a"}, 4, false, false, false, "", "a"},
        {{"-qj4", "download", "a"}, 4, true, false, false, "", "a"},
        {{"-qj", "3", "download", "a"}, 3, true, false, false, "", "a"},
        {{"-qo", "/m", "download", "a"}, 0, true, false, false, "/m", "a"},
        {{"-oq", "download", "a"}, 0, false, false, false, "q", "a"},
        {{"--job", "2", "--js", "--qu", "--sa", "--out=/m", "download", "a"}, 2, true, true, true, "/m", "a"},
        {{"download", "--json", "--quiet", "--", "-q"}, 0, true, true, false, "", "-q"},
        {{"download", "a", "-j-3"}, 1, false, false, false, "", "a"},
    };
    for (const auto& c : cases) {
        const CommandLine line = ParseCommandLine(c.args);
        const std::string what = ::testing::PrintToString(c.args);
        ASSERT_EQ(line.action, Action::kDownload) << what << ": " << line.problem;
        EXPECT_EQ(line.jobs, c.jobs) << what;
        EXPECT_EQ(line.quiet, c.quiet) << what;
        EXPECT_EQ(line.json, c.json) << what;
        EXPECT_EQ(line.save, c.save) << what;
        EXPECT_EQ(line.output, c.output) << what;
        EXPECT_EQ(line.address, c.address) << what;
    }
    EXPECT_EQ(ParseCommandLine({"--he"}).action, Action::kHelp);
    EXPECT_EQ(ParseCommandLine({"-qh"}).action, Action::kHelp);
    EXPECT_EQ(ParseCommandLine({"--vers", "list"}).action, Action::kVersion);
    EXPECT_EQ(ParseCommandLine({"download", "-o", "-h", "a"}).output, "-h");  // a value, not a request for help
    const struct {
        std::vector<std::string> args;
        const char* problem;
    } wrong[] = {
        {{"download", "a", "--j", "2"}, "选项 --j 有歧义：--jobs、--json"},
        {{"download", "a", "--j=2"}, "有歧义"},
        {{"download", "a", "--save=yes"}, "选项 --save 不接受值"},
        {{"download", "a", "-qx"}, "未知的选项：-x"},
        {{"download", "a", "--outputs=d"}, "未知的选项：--outputs"},
        {{"download", "a", "-j"}, "--jobs 需要一个整数"},
    };
    for (const auto& c : wrong) {
        const CommandLine line = ParseCommandLine(c.args);
        EXPECT_EQ(line.action, Action::kWrong) << ::testing::PrintToString(c.args);
        EXPECT_NE(line.problem.find(c.problem), std::string::npos) << line.problem;
    }
}

// --retries takes 0..10 and --limit-rate curl's rates; anything else is
// refused with what is wanted, and neither means anything to list.
TEST(CommandLine, RetriesAndRateLimit) {
    const CommandLine plain = ParseCommandLine({"download", "a"});
    EXPECT_EQ(plain.retries, -1);
    EXPECT_EQ(plain.limitRate, -1);
    const CommandLine line = ParseCommandLine({"download", "a", "--retries", "10", "--limit-rate=500K"});
    ASSERT_EQ(line.action, Action::kDownload) << line.problem;
    EXPECT_EQ(line.retries, 10);
    EXPECT_EQ(line.limitRate, 500);
    EXPECT_EQ(ParseCommandLine({"download", "a", "--retries=0"}).retries, 0);
    EXPECT_EQ(RateInKb("0"), 0);
    EXPECT_EQ(RateInKb("1"), 1);  // bytes round up: never no limit by accident
    EXPECT_EQ(RateInKb("2048"), 2);
    EXPECT_EQ(RateInKb("2049"), 3);
    EXPECT_EQ(RateInKb("200k"), 200);
    EXPECT_EQ(RateInKb("2M"), 2048);
    EXPECT_EQ(RateInKb("10000000K"), 10000000);
    for (const char* bad : {"", "K", "-1", "1.5M", "5G", "500 K", "10000001K", "99999999999999999999", "0x10"})
        EXPECT_FALSE(RateInKb(bad).has_value()) << bad;
    for (const char* bad : {"11", "-1", "2.5", "x", ""}) {
        const CommandLine wrong = ParseCommandLine({"download", "a", "--retries", bad});
        EXPECT_EQ(wrong.action, Action::kWrong) << bad;
        EXPECT_EQ(wrong.problem, "选项 --retries 需要一个整数（0 到 10）") << bad;
    }
    const CommandLine badRate = ParseCommandLine({"download", "a", "--limit-rate", "fast"});
    EXPECT_EQ(badRate.action, Action::kWrong);
    EXPECT_EQ(badRate.problem, "选项 --limit-rate 需要一个速度（字节每秒，可加 K 或 M，如 500K）");
    EXPECT_EQ(ParseCommandLine({"list", "--retries", "2"}).problem, "--retries 只能用于 download");
    EXPECT_EQ(ParseCommandLine({"list", "--limit-rate", "2"}).problem, "--limit-rate 只能用于 download");
}

// --pages takes the page counts GetPage can hold, for both commands; 0, a
// negative count or one past the 16-bit key is refused, not brought in.
TEST(CommandLine, PagesWithinTheSettingsRange) {
    EXPECT_EQ(ParseCommandLine({"list", "a"}).pages, 0);
    EXPECT_EQ(ParseCommandLine({"list", "a", "--pages", "3"}).pages, 3);
    EXPECT_EQ(ParseCommandLine({"download", "a", "--pages=32767"}).pages, 32767);
    for (const char* bad : {"0", "-1", "32768", "1.5", "2x", ""}) {
        const CommandLine wrong = ParseCommandLine({"download", "a", "--pages", bad});
        EXPECT_EQ(wrong.action, Action::kWrong) << bad;
        EXPECT_EQ(wrong.problem, "选项 --pages 需要一个整数（1 到 32767）") << bad;
    }
}

TEST(CommandLine, RowsAreNumbersAndRanges) {
    using Rows = std::vector<int>;
    EXPECT_EQ(SelectRows("all", 3), (Rows{1, 2, 3}));
    EXPECT_EQ(SelectRows("2-4,7", 9), (Rows{2, 3, 4, 7}));
    EXPECT_EQ(SelectRows("7,2-4,3,4-4", 9), (Rows{2, 3, 4, 7}));  // in list order, each once
    EXPECT_EQ(SelectRows("9", 9), (Rows{9}));
    for (const char* bad : {"", "0", "10", "4-2", "2-", "-2", "2-10", "1,,2", "1,", "a", "1.5", "+1", " 1", "1-2-3"}) {
        EXPECT_FALSE(SelectRows(bad, 9).has_value()) << bad;
    }
}

using Outcome = testing::CliOutcome;

class CliConventions : public testing::CliFolderTest {
protected:
    // Songs land beside the program here: no folder of their own.
    void SetUp() override {
        songs_.clear();
        CliFolderTest::SetUp();
    }
    Outcome Run(std::vector<std::string> args) { return RunCli(std::move(args)); }
    std::string Config() const { return testing::ReadBytes(folder_.File("Config.ini")); }
};

TEST_F(CliConventions, HelpAndVersionOnStandardOutput) {
    for (const char* flag : {"-h", "--help"}) {
        const Outcome help = Run({flag});
        EXPECT_EQ(help.status, 0) << flag;
        EXPECT_NE(help.out.find("用法：tunewell-cli"), std::string::npos) << help.out;
        EXPECT_NE(help.out.find("--output"), std::string::npos) << help.out;
        EXPECT_EQ(help.err, "") << flag;
    }
    for (const char* flag : {"-V", "--version"}) {
        const Outcome version = Run({flag});
        EXPECT_EQ(version.status, 0) << flag;
        EXPECT_EQ(version.out.substr(0, version.out.find('\n', version.out.find('\n') + 1) + 1),
                  "tunewell-cli 2.5\n"
                  "License GPLv3+: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n")
            << flag;
    }
    const Outcome wrong = Run({"list", "--bogus"});
    EXPECT_EQ(wrong.status, 2);
    EXPECT_EQ(wrong.out, "");
    EXPECT_NE(wrong.err.find("未知的选项：--bogus"), std::string::npos) << wrong.err;
    EXPECT_FALSE(stdfs::exists(folder_.File("Config.ini")));
}

TEST_F(CliConventions, ListChangesConfigIniOnlyWithSave) {
    const std::string chart = testing::MusicUrl("/music/chart/");
    testing::WriteBytes(folder_.File("Config.ini"), "[Config]\r\nListUrl=http://old\r\n");
    const Outcome listed = Run({"list", chart});
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_NE(listed.out.find('\t'), std::string::npos) << listed.out;
    EXPECT_EQ(Config(), "[Config]\r\nListUrl=http://old\r\n");
    const Outcome saved = Run({"list", chart, "--save", "-o", folder_.File("songs")});
    EXPECT_EQ(saved.status, 0) << saved.err;
    EXPECT_NE(Config().find("ListUrl=" + chart), std::string::npos) << Config();
    EXPECT_NE(Config().find("SavePath=" + folder_.File("songs")), std::string::npos) << Config();
}

// The save folder of one run, made when missing; the run's report is whole
// lines in Chinese: no carriage return, no English word.
TEST_F(CliConventions, DownloadIntoTheOutputFolderReportsWholeChineseLines) {
    testing::WriteBytes(folder_.File("Config.ini"), "[Config]\r\nSavePath=" + folder_.File("usual") + "\r\n");
    const std::string before = Config();
    const std::string output = folder_.File("one run/songs");
    const Outcome run = Run({"download", "-o", output, testing::MusicUrl("/music/chart/"), "1,2"});
    EXPECT_EQ(run.status, 0) << run.err;
    int songs = 0;
    for (const auto& entry : stdfs::directory_iterator(output)) songs += entry.path().extension() == ".mp3";
    EXPECT_EQ(songs, 2);
    EXPECT_FALSE(stdfs::exists(folder_.File("usual")));
    EXPECT_EQ(Config(), before);
    EXPECT_EQ(run.err.find('\r'), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("1. "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(": 下载完毕\n"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("已下载2首，共2首"), std::string::npos) << run.err;
    for (const char* english : {"songs", "bytes", "downloaded", "warning", "KB/s"}) {
        EXPECT_EQ(run.err.find(english), std::string::npos) << english << " in " << run.err;
    }
    const Outcome badRows = Run({"download", testing::MusicUrl("/music/chart/"), "99"});
    EXPECT_EQ(badRows.status, 2);
    EXPECT_NE(badRows.err.find("歌曲序号应为"), std::string::npos) << badRows.err;
}

// Windows takes these for devices whatever follows the first dot.
bool NamesDevice(const std::string& name) {
    std::string first = name.substr(0, name.find('.'));
    for (char& c : first) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (first == "con" || first == "prn" || first == "aux" || first == "nul") return true;
    const bool port = first.starts_with("com") || first.starts_with("lpt");
    return port && first.size() == 4 && std::isdigit(static_cast<unsigned char>(first[3]));
}

// A copy kept in its own folder, saving there: the play page's hostile
// songs cannot replace the program, its libraries or its build files, and
// each is saved under an audio name that Windows takes too.
TEST_F(CliConventions, SongsSavedBesideTheProgramLeaveItsFilesAlone) {
    const std::vector<std::string> standIns = {"CMakeCache.txt", "cmake_install.cmake", "qt.conf", "Qt6Core.dll",
                                               "tunewell-cli.exe", "Config.ini"};
    for (const std::string& name : standIns) testing::WriteBytes(folder_.File(name), "stand-in " + name);
    const std::string program = testing::ReadBytes(folder_.File("tunewell-cli"));
    const std::string ids = "1016,1017,1030,1031,1032,1033,1034,1035,1036,1037,1038,1039";
    const Outcome run = Run({"download", "-o", folder_.path(), testing::MusicUrl("/play.php?song_id=" + ids, "www.")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("已下载12首，共12首"), std::string::npos) << run.err;
    for (const std::string& name : standIns) EXPECT_EQ(testing::ReadBytes(folder_.File(name)), "stand-in " + name);
    EXPECT_EQ(testing::ReadBytes(folder_.File("tunewell-cli")), program);
    const auto& audio = download::SaveNames::AudioExtensions();
    int songs = 0;
    for (const auto& entry : stdfs::directory_iterator(folder_.path())) {
        const std::string name = entry.path().filename().string();
        // The saved-songs record is the program's own, beside Config.ini.
        if (name == "tunewell-cli" || name == "SavedSongs.log" ||
            std::find(standIns.begin(), standIns.end(), name) != standIns.end()) {
            continue;
        }
        ++songs;
        const std::string extension = entry.path().extension().string();
        EXPECT_NE(std::find(audio.begin(), audio.end(), extension.substr(std::min<std::size_t>(1, extension.size()))),
                  audio.end())
            << name;
        EXPECT_FALSE(NamesDevice(name)) << name;
        EXPECT_NE(name.front(), '.') << name;
    }
    EXPECT_EQ(songs, 12);
}

}  // namespace
}  // namespace tunewell::cli
