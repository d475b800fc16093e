// SPDX-License-Identifier: GPL-3.0-or-later
// tunewell-cli --jobs N: N songs at a time, N brought within 1..8, and an
// N that is no whole number refused with the usage text.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli_folder_test.h"
#include "support/demo_site_fixture.h"
#include "support/site_urls.h"
#include "support/temp_folder.h"

namespace tunewell::testing {
namespace {

namespace stdfs = std::filesystem;

class CliJobsTest : public CliFolderTest {
protected:
    void SetUp() override {
        CliFolderTest::SetUp();
        WriteConfigLines("SavePath=" + songs_ + "\r\nGetPage=1\r\nJobs=1\r\n");
    }
    // Runs tunewell-cli with `args` to its end; its exit status.
    int Run(const std::vector<std::string>& args) { return RunCli(args).status; }
    std::size_t Saved() const {
        std::size_t count = 0;
        for (const auto& entry : stdfs::directory_iterator(songs_)) count += entry.path().filename().string()[0] != '.';
        return count;
    }
};

TEST_F(CliJobsTest, SongsSideBySideAndBadCountsRefused) {
    const std::string chart = MusicUrl("/music/chart/");
    const struct {
        std::vector<std::string> args;
        int status;
    } cases[] = {
        {{"download", chart, "all", "--jobs", "x"}, 2},
        {{"download", chart, "all", "--jobs", "2.5"}, 2},
        {{"download", chart, "--jobs"}, 2},  // no count: taken as ROWS, which it is not
        {{"download", chart, "1,2,3", "--jobs", "3"}, 0},
        {{"download", chart, "all", "--jobs", "99"}, 0},  // eight at a time
    };
    for (const auto& c : cases) EXPECT_EQ(Run(c.args), c.status) << c.args.back();
    EXPECT_EQ(Saved(), 10u);  // the chart page's ten songs, the first three twice over
    std::size_t songs = 0;
    for (const auto& request : Site().Requests()) songs += request.target.starts_with("/audio/");
    EXPECT_EQ(songs, 13u);
}

// --retries and --limit-rate: a bad value is a wrong command line, before
// anything is fetched; good ones run.
TEST_F(CliJobsTest, BadRetriesOrRatesRefusedBeforeAnyRequest) {
    const std::string chart = MusicUrl("/music/chart/");
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"download", chart, "1", "--retries", "11"},
             {"download", chart, "1", "--retries=-1"},
             {"download", chart, "1", "--limit-rate", "1.5M"},
             {"download", chart, "1", "--limit-rate=fast"},
             {"list", chart, "--retries", "2"}}) {
        EXPECT_EQ(Run(args), 2) << args.back();
    }
    EXPECT_TRUE(Site().Requests().empty());
    EXPECT_EQ(Run({"download", chart, "1", "--retries", "3", "--limit-rate", "4M"}), 0);
    EXPECT_EQ(Saved(), 1u);
}

// --pages N fetches at most N pages of a paged list for this run only:
// Config.ini's GetPage is neither used nor changed; a bad count is refused
// before any request.
TEST_F(CliJobsTest, PagesForOneRun) {
    const std::string config = "[Config]\r\nSavePath=" + songs_ + "\r\nGetPage=5\r\n";
    WriteBytes(folder_.File("Config.ini"), config);
    const std::string chart = MusicUrl("/music/chart/");
    EXPECT_EQ(Run({"list", chart, "--pages", "0"}), 2);
    EXPECT_TRUE(Site().Requests().empty());
    const auto pageRequests = [this] {
        std::size_t pages = 0;
        for (const auto& request : Site().Requests()) pages += request.target.starts_with("/music/chart/");
        return pages;
    };
    const CliOutcome one = RunCliIn(folder_.path(), {"list", chart, "--pages", "1"});
    EXPECT_EQ(one.status, 0) << one.err;
    EXPECT_EQ(std::count(one.out.begin(), one.out.end(), '\n'), 10);
    EXPECT_EQ(pageRequests(), 1u);
    const CliOutcome three = RunCliIn(folder_.path(), {"list", chart, "--pages=3"});
    EXPECT_EQ(std::count(three.out.begin(), three.out.end(), '\n'), 30);
    EXPECT_EQ(pageRequests(), 4u);
    EXPECT_EQ(ReadBytes(folder_.File("Config.ini")), config);
}

}  // namespace
}  // namespace tunewell::testing
