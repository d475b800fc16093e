// SPDX-License-Identifier: GPL-3.0-or-later
// What scripts read of tunewell-cli against the demo site: --json lines on
// standard output, -q leaving only errors, songs numbered by their list
// row, an exit status per cause, and the program's name on every request.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "base/program_version.h"
#include "cli/cli_folder_test.h"
#include "support/demo_site_fixture.h"
#include "support/site_urls.h"
#include "support/temp_folder.h"

namespace tunewell::testing {
namespace {

namespace stdfs = std::filesystem;
using Json = nlohmann::json;

// One object per line, each line whole.
std::vector<Json> JsonLines(const std::string& text) {
    std::vector<Json> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find('\n', at);
        EXPECT_NE(end, std::string::npos) << "an unfinished line in " << text;
        if (end == std::string::npos) break;
        lines.push_back(Json::parse(text.substr(at, end - at), nullptr, false));
        EXPECT_FALSE(lines.back().is_discarded()) << text.substr(at, end - at);
        at = end + 1;
    }
    return lines;
}

class CliScriptOutput : public CliFolderTest {
protected:
    void SetUp() override {
        CliFolderTest::SetUp();
        WriteConfigLines("SavePath=" + songs_ + "\r\nJobs=1\r\n");
    }
    CliOutcome Run(std::vector<std::string> args) { return RunCli(std::move(args)); }
};

TEST_F(CliScriptOutput, QuietJsonDownloadOfARowRange) {
    const std::string chart = MusicUrl("/music/chart/");
    const CliOutcome list = Run({"list", "--json", "-q", chart});
    ASSERT_EQ(list.status, 0) << list.err;
    EXPECT_EQ(list.err, "");
    std::map<int, Json> listed;
    for (const Json& song : JsonLines(list.out)) listed[song["row"].get<int>()] = song;
    ASSERT_EQ(listed.size(), 10u);
    EXPECT_TRUE(listed[2]["id"].is_number_integer());
    EXPECT_FALSE(listed[2]["name"].get<std::string>().empty());

    const CliOutcome run = Run({"download", "-q", "-j4", "--json", chart, "2-4"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");  // nothing failed
    const std::vector<Json> songs = JsonLines(run.out);
    ASSERT_EQ(songs.size(), 3u) << run.out;
    std::vector<int> rows;
    for (const Json& song : songs) {
        const int row = song["row"].get<int>();
        rows.push_back(row);
        EXPECT_EQ(song["id"], listed[row]["id"]) << song;
        EXPECT_EQ(song["result"], "saved") << song;
        EXPECT_TRUE(song["cause"].is_null()) << song;
        const std::string file = song["file"].get<std::string>();
        EXPECT_EQ(stdfs::path(file).parent_path(), stdfs::path(songs_)) << file;
        ASSERT_TRUE(stdfs::exists(file)) << file;
        EXPECT_EQ(song["bytes"].get<long long>(), static_cast<long long>(stdfs::file_size(file)));
        EXPECT_EQ(song["bytes"].get<long long>(),
                  static_cast<long long>(demo::AudioSize(song["id"].get<int>())));
    }
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows, (std::vector<int>{2, 3, 4}));

    const std::string agent = std::string("Tunewell/") + base::kProgramVersion;
    ASSERT_FALSE(Site().Requests().empty());
    for (const auto& request : Site().Requests()) EXPECT_EQ(request.Header("User-Agent"), agent) << request.target;
}

// The album's rows 8 to 10: the ninth answers 404. Its line carries its
// row, not its place in the run, and is all -q lets through.
TEST_F(CliScriptOutput, AFailedSongIsTheOnlyQuietLineAndExitsOne) {
    const CliOutcome run = Run({"download", "-qj2", "--json", MusicUrl("/album/232523"), "8-10"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.starts_with("9. ")) << run.err;
    EXPECT_NE(run.err.find(": 下载失败 (服务器返回HTTP 404)\n"), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    std::map<int, Json> byRow;
    for (const Json& song : JsonLines(run.out)) byRow[song["row"].get<int>()] = song;
    ASSERT_EQ(byRow.size(), 3u) << run.out;
    EXPECT_EQ(byRow[8]["result"], "saved");
    EXPECT_EQ(byRow[9]["result"], "failed");
    EXPECT_EQ(byRow[9]["id"], demo::kSongMissing);
    EXPECT_EQ(byRow[9]["bytes"], 0);
    EXPECT_NE(byRow[9]["cause"].get<std::string>().find("404"), std::string::npos);
    EXPECT_EQ(byRow[10]["result"], "saved");
}

// A run that reaches no song says why, without the window's caption, and
// its status tells the cause apart; each song still gets its JSON line.
TEST_F(CliScriptOutput, ExitStatusPerCause) {
    const std::string chart = MusicUrl("/music/chart/");
    WriteBytes(folder_.File("Config.ini"), "[Config]\r\nSavePath=" + folder_.File("gone") + "\r\n");
    const CliOutcome noFolder = Run({"download", "-q", "--json", chart, "1,3"});
    EXPECT_EQ(noFolder.status, 4);
    EXPECT_EQ(noFolder.err, "保存地址路径不存在,请重新选择\n");
    const std::vector<Json> notStarted = JsonLines(noFolder.out);
    ASSERT_EQ(notStarted.size(), 2u) << noFolder.out;
    EXPECT_EQ(notStarted[1]["row"], 3);
    EXPECT_EQ(notStarted[1]["result"], "not_started");
    EXPECT_TRUE(notStarted[1]["file"].is_null());
    EXPECT_EQ(notStarted[1]["cause"], "保存地址路径不存在,请重新选择");

    Options().playStatus = 503;
    EXPECT_EQ(Run({"download", "-q", "-o", songs_, chart, "1"}).status, 3);
    EXPECT_EQ(Run({"list", "-q", MusicUrl("/no/such/list")}).status, 3);
    EXPECT_EQ(Run({"download", "-q", chart, "11"}).status, 2);
}

}  // namespace
}  // namespace tunewell::testing
