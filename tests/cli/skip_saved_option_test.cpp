// SPDX-License-Identifier: GPL-3.0-or-later
// tunewell-cli --skip-saved: a second download of the same rows fetches no
// song the first saved, says so per song, and SkipSaved=1 does the same.
#include <gtest/gtest.h>

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

class CliSkipSaved : public CliFolderTest {
protected:
    void SetUp() override {
        CliFolderTest::SetUp();
        WriteConfig("");
    }
    void WriteConfig(const std::string& more) { WriteConfigLines("SavePath=" + songs_ + "\r\nJobs=1\r\n" + more); }
    CliOutcome Run(std::vector<std::string> args) { return RunCli(std::move(args)); }
    std::size_t AudioRequests() {
        std::size_t count = 0;
        for (const auto& request : Site().Requests()) count += request.target.starts_with("/audio/");
        Site().ClearRequests();
        return count;
    }
    static std::size_t Count(const std::string& text, const std::string& word) {
        std::size_t count = 0;
        for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++count;
        return count;
    }
};

TEST_F(CliSkipSaved, ASecondRunSkipsTheSongsTheFirstSaved) {
    const std::string chart = MusicUrl("/music/chart/");
    const CliOutcome first = Run({"download", chart, "1-2"});
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(AudioRequests(), 2u);
    EXPECT_TRUE(stdfs::is_regular_file(folder_.File("SavedSongs.log")));

    const CliOutcome skipped = Run({"download", chart, "1-3", "--skip-saved", "--json"});
    ASSERT_EQ(skipped.status, 0) << skipped.err;
    EXPECT_EQ(AudioRequests(), 1u);  // only the third
    EXPECT_EQ(Count(skipped.err, "已下载过，跳过"), 2u) << skipped.err;
    EXPECT_EQ(Count(skipped.out, "\"result\":\"skipped\""), 2u) << skipped.out;
    EXPECT_NE(skipped.out.find("\"file\":\"" + songs_ + "/"), std::string::npos) << skipped.out;
    EXPECT_NE(skipped.err.find("1. "), std::string::npos) << skipped.err;  // the rows as listed

    // The key does the same; without either, the songs are fetched again.
    WriteConfig("SkipSaved=1\r\n");
    ASSERT_EQ(Run({"download", chart, "1-3"}).status, 0);
    EXPECT_EQ(AudioRequests(), 0u);
    WriteConfig("SkipSaved=0\r\n");
    const CliOutcome again = Run({"download", chart, "1-3"});
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(AudioRequests(), 3u);
    EXPECT_EQ(Count(again.err, "已下载过"), 0u);
}

}  // namespace
}  // namespace tunewell::testing
