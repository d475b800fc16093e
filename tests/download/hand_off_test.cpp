#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "download/aria2_agent.h"
#include "platform/process_list.h"
#include "download/thunder_hand_off.h"
#include "support/site_urls.h"

namespace tunewell::download {
namespace {

namespace stdfs = std::filesystem;

// A made-up /proc with processes whose exe links cannot be read, so names
// come from the command line or the short name.
class FakeProc : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = stdfs::temp_directory_path() / ("tw-proc-" + std::to_string(::getpid()));
        stdfs::remove_all(root_);
        AddProcess(300, std::string("/opt/thunder/Thunder.exe\0--x", 28), "");
        AddProcess(12, std::string("/usr/bin/aria2c\0--enable-rpc", 28), "");
        AddProcess(40, "", "thunder5.exe");
        stdfs::create_directories(root_ / "self");
    }
    void TearDown() override { stdfs::remove_all(root_); }
    void AddProcess(int id, const std::string& cmdline, const std::string& comm) {
        const auto folder = root_ / std::to_string(id);
        stdfs::create_directories(folder);
        std::ofstream(folder / "cmdline", std::ios::binary) << cmdline;
        std::ofstream(folder / "comm") << comm << "\n";
    }
    stdfs::path root_;
};

TEST_F(FakeProc, ListsNamesInIdOrderAndMatchesExactly) {
    const platform::ProcessList list = platform::ListProcesses(root_.string());
    EXPECT_EQ(list.names, (std::vector<std::string>{"aria2c", "thunder5.exe", "Thunder.exe"}));
    EXPECT_EQ(list.ids, (std::vector<std::int32_t>{12, 40, 300}));

    std::int32_t id = -1;
    EXPECT_TRUE(platform::IsProcessRunning("Thunder.exe", id, root_.string()));
    EXPECT_EQ(id, 300);
    id = -1;
    EXPECT_FALSE(platform::IsProcessRunning("Thunder5.exe", id, root_.string()));  // case differs
    EXPECT_FALSE(platform::IsProcessRunning("aria2", id, root_.string()));
    EXPECT_EQ(id, -1);
}

TEST(Aria2Agent, RequestIsBuiltAsJsonWithDirOutAndReferer) {
    const std::string request = Aria2Agent::BuildAddUriRequest(
        "id1", "http://x/a.mp3", "01.歌\"名.mp3", "/music/下载", testing::MusicUrl("/play.php?song_id=1", "www."));
    const auto json = nlohmann::json::parse(request);
    EXPECT_EQ(json["method"], "aria2.addUri");
    EXPECT_EQ(json["params"][0][0], "http://x/a.mp3");
    EXPECT_EQ(json["params"][1]["out"], "01.歌\"名.mp3");
    EXPECT_EQ(json["params"][1]["dir"], "/music/下载");
    EXPECT_EQ(json["params"][1]["referer"], testing::MusicUrl("/play.php?song_id=1", "www."));
    // invalid UTF-8 from a page still gives valid JSON
    EXPECT_NO_THROW(nlohmann::json::parse(Aria2Agent::BuildAddUriRequest("i", "\xff", "\xfe", "d", "")));
}

TEST(Aria2Agent, UnreachableEndpointReportsFailure) {
    const AgentFactory factory = [] { return std::make_unique<Aria2Agent>("http://127.0.0.1:1/jsonrpc"); };
    EXPECT_FALSE(AddThunderTask(factory, "http://x/a.mp3", "a.mp3", "/tmp", "", "", 1, 0, -1));
    EXPECT_FALSE(AddThunderTask(nullptr, "http://x/a.mp3", "a.mp3", "/tmp", "", "", 1, 0, -1));
}

}  // namespace
}  // namespace tunewell::download
