// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <thread>

#include "download/aria2_agent.h"
#include "download/download_run.h"
#include "transfer/file_download_fetch.h"
#include "download/file_host.h"
#include "net/cookie_store.h"
#include "net/json_rpc.h"
#include "platform/process_list.h"
#include "download/thunder_hand_off.h"
#include "support/aria2_process.h"
#include "support/demo_site_fixture.h"
#include "support/download_run_fixture.h"
#include "support/fake_ui.h"
#include "support/site_urls.h"
#include "support/temp_folder.h"
#include "transfer/file_download.h"
#include "text/number.h"

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

TEST(Aria2Agent, CookieAndSecretGoWithTheTaskAndErrorRepliesAreRefusals) {
    const auto json = nlohmann::json::parse(
        Aria2Agent::BuildAddUriRequest("i", "http://x/a.mp3", "a.mp3", "/d", "", "ROXCDNKEY=k1", "s3"));
    EXPECT_EQ(json["params"][0], "token:s3");
    EXPECT_EQ(json["params"][1][0], "http://x/a.mp3");
    EXPECT_EQ(json["params"][2]["header"], nlohmann::json::array({"Cookie: ROXCDNKEY=k1"}));
    EXPECT_FALSE(json["params"][2].contains("referer"));
    EXPECT_TRUE(Aria2Agent::IsAccepted(R"({"id":"i","jsonrpc":"2.0","result":"2089b05ecca3d829"})"));
    EXPECT_FALSE(Aria2Agent::IsAccepted(R"({"id":"i","jsonrpc":"2.0","error":{"code":1,"message":"Unauthorized"}})"));
    EXPECT_FALSE(Aria2Agent::IsAccepted("[1]"));
    EXPECT_FALSE(Aria2Agent::IsAccepted("not json"));
}

TEST(HandOff, OnlyHttpAddressesAreHandedOff) {
    for (const char* address : {"http://a/b.mp3", "HTTPS://a/b.mp3", "https://a"}) {
        EXPECT_TRUE(IsHandOffAddress(address)) << address;
    }
    for (const char* address : {"ftp://a/b.mp3", "file:///etc/passwd", "", "$False$", "a/http://b", "httpx://a"}) {
        EXPECT_FALSE(IsHandOffAddress(address)) << address;
    }
}

TEST(Aria2Agent, UnreachableEndpointReportsFailure) {
    const AgentFactory factory = [] { return std::make_unique<Aria2Agent>("http://127.0.0.1:1/jsonrpc"); };
    EXPECT_FALSE(AddThunderTask(factory, "http://x/a.mp3", "a.mp3", "/tmp", "", "", 1, 0, -1));
    EXPECT_FALSE(AddThunderTask(nullptr, "http://x/a.mp3", "a.mp3", "/tmp", "", "", 1, 0, -1));
}

// The site's session cookie and the file host's key, as the program holds
// them after signing in and preparing song 1004.
void StoreSessionAndFileKey(bool withFileKey) {
    const std::string expiry = ";expires=" + FormatCookieDate(CookieExpiryFields(std::time(nullptr)));
    StoreCookie(testing::MusicUrl("/"), "TWSID", "sess1" + expiry);
    if (withFileKey) {
        StoreCookie(testing::FileHostUrl("/zh-cn/download/880011/", ""), "ROXCDNKEY",
                    demo::FileHostKey(demo::kFileHostFileId) + expiry);
    }
}

// Every request the demo site received for a host other than the music
// site's that carried its session cookie.
int SessionCookiesAwayFromTheMusicHost(const demo::DemoSite& site) {
    int count = 0;
    for (const demo::RecordedRequest& request : site.Requests()) {
        if (request.host != hosts::kMusicHost && request.Header("Cookie").find("TWSID") != std::string::npos)
            ++count;
    }
    return count;
}

// aria2 sends a task's headers on through every redirect: what it is given
// is the address that answers, with that address's own cookies.
class HandOffCookies : public testing::DemoSiteTest {
protected:
    void SetUp() override {
        DemoSiteTest::SetUp();
        net::CookieStore::Instance().Clear();
    }
    void TearDown() override {
        net::CookieStore::Instance().Clear();
        DemoSiteTest::TearDown();
    }
};

TEST_F(HandOffCookies, RedirectsAreFollowedFirstAndEachAddressGetsOnlyItsOwnCookies) {
    const std::string referer = testing::MusicUrl("/play.php?song_id=1004");
    const std::string away = testing::MusicUrl("/hostile/redirect-away");
    const std::string fileHostSong = demo::FindSong(demo::kSongFileHost).address;
    const std::string plain = demo::FindSong(demo::kSongPlain).address;

    // No cookies: handed over untouched, without asking the site.
    auto handOff = Aria2Agent::ResolveHandOff(away, referer);
    EXPECT_EQ(handOff.address, away);
    EXPECT_EQ(handOff.cookie, "");
    EXPECT_TRUE(Site().Requests().empty());

    StoreSessionAndFileKey(false);
    handOff = Aria2Agent::ResolveHandOff(plain, referer);
    EXPECT_EQ(handOff.address, plain);
    EXPECT_EQ(handOff.cookie, "TWSID=sess1");
    ASSERT_FALSE(Site().RequestsFor(hosts::kMusicHost).empty());
    EXPECT_EQ(Site().RequestsFor(hosts::kMusicHost).back().Header("Referer"), referer);

    // Redirected to another site, which the program holds nothing for.
    handOff = Aria2Agent::ResolveHandOff(away, referer);
    EXPECT_EQ(handOff.address, fileHostSong);
    EXPECT_EQ(handOff.cookie, "");

    StoreSessionAndFileKey(true);
    handOff = Aria2Agent::ResolveHandOff(away, referer);
    EXPECT_EQ(handOff.address, fileHostSong);
    EXPECT_EQ(handOff.cookie, "ROXCDNKEY=" + demo::FileHostKey(demo::kFileHostFileId));

    // A way that never ends: no cookie goes with it.
    const std::string loop = testing::MusicUrl("/hostile/redirect-loop");
    handOff = Aria2Agent::ResolveHandOff(loop, referer);
    EXPECT_EQ(handOff.address, loop);
    EXPECT_EQ(handOff.cookie, "");

    EXPECT_EQ(SessionCookiesAwayFromTheMusicHost(Site()), 0);
}

using testing::ReadBytes;

// Whole runs handed to a real aria2c: a plain song and a file-host song
// (whose key cookie must travel with the task) arrive; a secret that does
// not match aria2's fails every song with the failure caption.
class RealAria2Test : public testing::DemoSiteTest {
protected:
    void SetUp() override {
        if (!testing::Aria2Installed()) GTEST_SKIP() << "aria2c not installed";
        DemoSiteTest::SetUp();
        net::CookieStore::Instance().Clear();
        controls_.folder = folder_.path();
        controls_.manager = true;
        for (const int id : {demo::kSongPlain, demo::kSongFileHost}) {
            ui_.songs.AddRow(ui_.songs.RowCount() + 1, id, std::to_string(id), "row");
            ui_.songs.SetChecked(ui_.songs.RowCount(), true);
        }
    }
    // Runs once against aria2 started with `aria2Secret`, the settings
    // holding `configured`.
    void Run(const std::string& aria2Secret, const std::string& configured) {
        testing::Aria2Process aria2(Site().ProxyUrl(), folder_.path(), aria2Secret);
        ASSERT_TRUE(aria2.WaitUntilListening());
        session::Session::Options options = testing::InFolder(folder_.path());
        options.isRunning = [](const std::string&) { return true; };
        options.managerEndpoint = aria2.Endpoint();
        session::Session session(testing::FrontEndOf(ui_), std::move(options));
        session.Settings().Aria2Secret = configured;
        session.OpenRun(controls_, controls_).cmdDown_Click();
        // aria2 works on after accepting: wait for what it was given.
        const std::string plain = folder_.File("山间小路 - 林小溪.mp3");
        const std::string hosted = folder_.File("蓝色天空 - 王一帆.mp3");
        for (int wait = 0; wait < 500 && controls_.Count("handed") == 2 &&
                           (ReadBytes(plain) != demo::AudioContent(demo::kSongPlain) ||
                            ReadBytes(hosted) != demo::AudioContent(demo::kSongFileHost));
             ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    testing::TempFolder folder_;
    testing::FakeUi ui_;
    testing::RecordingRun controls_;
};

TEST_F(RealAria2Test, SongsWithTheRightSecretArriveFileHostIncluded) {
    Run("s3cret", "s3cret");
    EXPECT_EQ(controls_.events, (std::vector<std::string>{"started", "handed 1", "handed 2", "ended"}));
    EXPECT_EQ(ReadBytes(folder_.File("山间小路 - 林小溪.mp3")), demo::AudioContent(demo::kSongPlain));
    EXPECT_EQ(ReadBytes(folder_.File("蓝色天空 - 王一帆.mp3")), demo::AudioContent(demo::kSongFileHost));
    EXPECT_EQ(ui_.songs.RowCount(), 2);  // handed-off rows stay
}

// A music-site address that redirects to another site: the song arrives,
// and the session cookie never reaches the other site (aria2 sends a
// task's Cookie header to every host a redirect names).
TEST_F(RealAria2Test, ACookieNeverFollowsARedirectToAnotherHost) {
    StoreSessionAndFileKey(true);
    testing::Aria2Process aria2(Site().ProxyUrl(), folder_.path(), "");
    ASSERT_TRUE(aria2.WaitUntilListening());
    const AgentFactory factory = [&aria2] { return std::make_unique<Aria2Agent>(aria2.Endpoint()); };
    ASSERT_TRUE(AddThunderTask(factory, testing::MusicUrl("/hostile/redirect-away"), "away.mp3", folder_.path(),
                               "", testing::MusicUrl("/play.php?song_id=1004"), 1, 0, -1));
    const std::string saved = folder_.File("away.mp3");
    for (int wait = 0; wait < 500 && ReadBytes(saved) != demo::AudioContent(demo::kSongFileHost); ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(ReadBytes(saved) == demo::AudioContent(demo::kSongFileHost)) << ReadBytes(saved).size();
    EXPECT_EQ(SessionCookiesAwayFromTheMusicHost(Site()), 0);
    int fromAria2 = 0;
    for (const demo::RecordedRequest& request : Site().RequestsFor(std::string("s1.") + hosts::kFileHostDomain)) {
        if (request.Header("User-Agent").rfind("aria2", 0) != 0) continue;
        ++fromAria2;
        EXPECT_EQ(request.Header("Cookie"), "ROXCDNKEY=" + demo::FileHostKey(demo::kFileHostFileId));
    }
    EXPECT_GE(fromAria2, 1);
}

TEST_F(RealAria2Test, AWrongSecretFailsEverySong) {
    Run("s3cret", "wrong");
    EXPECT_EQ(controls_.Count("failed"), 2);
    EXPECT_EQ(controls_.Count("handed"), 0);
    EXPECT_FALSE(std::filesystem::exists(folder_.File("山间小路 - 林小溪.mp3")));
}

// aria2's count of the downloads it has ended (done or failed), once it has
// none active or waiting; -1 while it still works or cannot be asked.
int Aria2StoppedWhenIdle(const std::string& endpoint) {
    const auto reply = net::CallJsonRpc(
        endpoint, R"({"jsonrpc":"2.0","id":"t","method":"aria2.getGlobalStat","params":[]})",
        std::chrono::seconds(2));
    if (!reply) return -1;
    const auto json = nlohmann::json::parse(reply->body, nullptr, false);
    if (!json.contains("result")) return -1;
    const auto& stat = json["result"];
    if (stat.value("numActive", "1") != "0" || stat.value("numWaiting", "1") != "0") return -1;
    return std::stoi(stat.value("numStoppedTotal", "0"));
}

// Handing the same songs into the same folder again makes no second copy
// (aria2 would save "name.1.mp3" beside the first).
TEST_F(RealAria2Test, HandingTheSameSongsAgainMakesNoSecondCopy) {
    testing::Aria2Process aria2(Site().ProxyUrl(), folder_.path(), "");
    ASSERT_TRUE(aria2.WaitUntilListening());
    for (int round = 1; round <= 2; ++round) {
        session::Session::Options options = testing::InFolder(folder_.path());
        options.isRunning = [](const std::string&) { return true; };
        options.managerEndpoint = aria2.Endpoint();
        session::Session session(testing::FrontEndOf(ui_), std::move(options));
        session.OpenRun(controls_, controls_).cmdDown_Click();
        int stopped = -1;
        for (int wait = 0; wait < 500 && stopped < 2 * round; ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            stopped = Aria2StoppedWhenIdle(aria2.Endpoint());
        }
        ASSERT_EQ(stopped, 2 * round);
    }
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder_.path())) {
        names.insert(entry.path().filename().string());
    }
    EXPECT_EQ(names, (std::set<std::string>{"山间小路 - 林小溪.mp3", "蓝色天空 - 王一帆.mp3"}));
    EXPECT_EQ(ReadBytes(folder_.File("山间小路 - 林小溪.mp3")), demo::AudioContent(demo::kSongPlain));
}

}  // namespace
}  // namespace tunewell::download
