// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "catalogue/list_command.h"
#include "catalogue/song_catalogue.h"
#include "settings/ini_file.h"
#include "support/demo_site_fixture.h"
#include "support/fake_ui.h"
#include "support/site_urls.h"
#include "support/temp_folder.h"
#include "web/http_client.h"
#include "text/text_utils.h"
#include "support/site_urls.h"

namespace tunewell::catalogue {
namespace {

const std::string kSite = testing::MusicUrl("");

class FetchSongList : public testing::DemoSiteTest {
protected:
    void SetUp() override {
        DemoSiteTest::SetUp();
        config_.GetPage = 1;
    }
    std::vector<double> Ids() const {
        std::vector<double> ids;
        for (const auto& row : ui_.songs.Rows()) ids.push_back(row.id);
        return ids;
    }
    std::vector<std::string> Targets() {
        std::vector<std::string> targets;
        for (const auto& request : Site().Requests()) targets.push_back(request.target);
        return targets;
    }
    void Fetch(const std::string& path) { catalogue_.FetchSongList(kSite + path); }

    testing::FakeUi ui_;
    settings::Config config_;
    CatalogueState state_;
    SongCatalogue catalogue_{ui_.ports, config_, state_};
};

TEST_F(FetchSongList, EveryPageKindGivesItsRows) {
    struct KindCase {
        const char* path;
        std::size_t rows;
        double firstId;
        const char* firstName;
    };
    const KindCase cases[] = {
        {"/music/chart/", 10, 3001, "月光小夜曲3001"},
        {"/music/lsn", 8, 5001, "月光小夜曲5001-王一帆"},
        {"/music/catsong/cat15/", 8, 7001, "月光小夜曲7001"},
        {"/user/27677/", 6, 8001, "江南雨巷8001-孙小雅"},
        {"/tag/%BF%A8%C5%A9", 6, 9001, "月光小夜曲9001-李思远"},
        {"/song/71799/", 1, 71799, "卡农 (d大调)"},
        {"/group/190/fav", 6, 7501, "追梦的人7501"},
    };
    for (const KindCase& c : cases) {
        Fetch(c.path);
        ASSERT_EQ(ui_.songs.RowCount(), static_cast<int>(c.rows)) << c.path;
        EXPECT_EQ(ui_.songs.Tag(1), c.firstId) << c.path;
        EXPECT_EQ(ui_.songs.Name(1), c.firstName) << c.path;
    }
    EXPECT_TRUE(ui_.messages.shown.empty());
    // Dates and bare numbers in the extra field are left out of the name.
    Fetch("/music/lsn");
    EXPECT_EQ(ui_.songs.Name(3), "城市之光5003");
    EXPECT_EQ(ui_.songs.Name(5), "追梦的人5005");
}

TEST_F(FetchSongList, FollowingPagesAreFetchedInOrderUpToTheSetting) {
    config_.GetPage = 3;
    Fetch("/music/chart/");
    EXPECT_EQ(Targets(), (std::vector<std::string>{"/music/chart/", "/music/chart/2", "/music/chart/3"}));
    ASSERT_EQ(ui_.songs.RowCount(), 30);
    EXPECT_EQ(ui_.songs.Tag(11), 3011);
    EXPECT_EQ(ui_.songs.Tag(30), 3030);
    EXPECT_EQ(ui_.status.Text(), "正在获取分页歌曲列表......");

    // A setting above the pager's count is capped by the pager.
    config_.GetPage = 50;
    Site().ClearRequests();
    Fetch("/group/190/fav");
    EXPECT_EQ(Targets().size(), 3u);
    EXPECT_EQ(ui_.songs.RowCount(), 18);

    // Once the rows are past their bound no further page is asked for.
    config_.GetPage = 3;
    catalogue_.SetRowLimit(15);
    Site().ClearRequests();
    Fetch("/music/chart/");
    EXPECT_EQ(Targets(), (std::vector<std::string>{"/music/chart/", "/music/chart/2"}));
    EXPECT_EQ(ui_.songs.RowCount(), 15);
    EXPECT_EQ(ui_.status.Text(), "歌曲太多，只列出前15首");
}

TEST_F(FetchSongList, SignInWithConfiguredLoginThenPagesByCurpage) {
    config_.GetPage = 2;
    config_.LoginName = "张三";
    config_.LoginPass = "a&b+c";
    Fetch("/home.php?tag=fav");
    EXPECT_TRUE(state_.SignedIn);
    EXPECT_TRUE(ui_.messages.shown.empty());
    ASSERT_EQ(ui_.songs.RowCount(), 12);
    EXPECT_EQ(ui_.songs.Tag(1), 6001);

    std::string body, referer;
    std::vector<std::string> targets;
    for (const auto& request : Site().Requests()) {
        targets.push_back(request.method + " " + request.target);
        if (request.method == "POST") body = request.body, referer = request.Header("Referer");
    }
    // The list, the form, the post to the form's exact target, the list
    // again as the signed-in user, then its next page.
    EXPECT_EQ(targets, (std::vector<std::string>{"GET /home.php?tag=fav", "GET /signin.php",
                                                 "POST /info_oper.php?tag=signin&pageref=%2Fhome.php%3Ftag%3Dfav",
                                                 "GET /home.php?tag=fav", "GET /home.php?tag=fav&curpage=2"}));
    EXPECT_EQ(referer, testing::MusicUrl("/index.php"));
    EXPECT_EQ(ui_.status.texts,
              (std::vector<std::string>{"正在获取歌曲列表......", "获取歌曲列表成功,请单击选择您想下载的歌曲",
                                        "正在为您登陆Tunewell", "登陆Tunewell成功", "正在获取分页歌曲列表......"}));
    // GBK percent-encoding, "&" and "+" encoded, fields in their order.
    EXPECT_EQ(body.substr(0, 39), "name=%D5%C5%C8%FD&pwd=a%26b%2Bc&passcod");
    EXPECT_NE(body.find("&mpc="), std::string::npos);
    EXPECT_EQ(body.substr(body.size() - 10), "&B12=Login");
}

TEST_F(FetchSongList, SignInProblemsKeepTheListAndOpenTheSettings) {
    Fetch("/music/lsn");
    ASSERT_EQ(ui_.songs.RowCount(), 8);

    config_.LoginName = "demo";  // no password
    Fetch("/home.php?tag=fav");
    EXPECT_EQ(ui_.messages.shown.back(), "您未配置您的TW用户名或密码！");
    EXPECT_EQ(ui_.status.Text(), "正在为您登陆Tunewell");
    EXPECT_EQ(ui_.windows.settingsShown, 1);
    EXPECT_EQ(ui_.songs.RowCount(), 8);

    config_.LoginPass = "wrong";
    Fetch("/home.php?tag=fav");
    EXPECT_EQ(ui_.messages.shown.back(), "登陆TW出错：用户名或密码错误");
    EXPECT_FALSE(state_.SignedIn);
    EXPECT_EQ(ui_.windows.settingsShown, 2);
    EXPECT_EQ(ui_.songs.RowCount(), 8);
}

TEST_F(FetchSongList, HostilePagesGiveAMessageAndKeepTheRows) {
    Fetch("/music/lsn");
    const struct {
        const char* path;
        const char* message;  // nullptr: the list is cleared and stays empty
    } cases[] = {
        {"/hostile/binary", "没有发现歌曲列表！"},
        {"/hostile/nomarker", "没有发现歌曲列表！"},
        {"/hostile/empty", "获取歌曲列表失败，请检查网络连接！"},
        {"/hostile/error500", "获取歌曲列表失败，请检查网络连接！"},
        {"/hostile/cutoff", "获取歌曲列表失败，请检查网络连接！"},
        {"/hostile/nothing-here", "获取歌曲列表失败，请检查网络连接！"},
    };
    for (const auto& c : cases) {
        ui_.messages.shown.clear();
        Fetch(c.path);
        ASSERT_EQ(ui_.messages.shown.size(), 1u) << c.path;
        EXPECT_EQ(ui_.messages.shown[0], c.message) << c.path;
        EXPECT_EQ(ui_.songs.RowCount(), 8) << c.path;
    }
    // A recognised page whose body markers are missing clears the list.
    ui_.messages.shown.clear();
    Fetch("/hostile/truncated");
    EXPECT_TRUE(ui_.messages.shown.empty());
    EXPECT_EQ(ui_.songs.RowCount(), 0);
}

TEST_F(FetchSongList, HugePageIsHandled) {
    Options().hugePageBytes = 20ull * 1024 * 1024;
    Fetch("/hostile/huge");
    EXPECT_TRUE(ui_.messages.shown.empty());
    EXPECT_GT(ui_.songs.RowCount(), 0);
}

// A page of one entry and then bare repeated calls: the rows stop at the
// bound and the status line says so.
TEST_F(FetchSongList, RepeatedEntriesStopAtTheRowBound) {
    catalogue_.SetRowLimit(1000);
    Fetch("/hostile/repeated?size=200000");
    EXPECT_TRUE(ui_.messages.shown.empty());
    EXPECT_EQ(ui_.songs.RowCount(), 1000);
    EXPECT_EQ(ui_.status.Text(), "歌曲太多，只列出前1000首");
    catalogue_.SetRowLimit(kMaxSongRows);
    Fetch("/hostile/repeated?size=200000");
    EXPECT_LT(ui_.songs.RowCount(), 60000);
    EXPECT_EQ(ui_.status.Text(), "获取歌曲列表成功,请单击选择您想下载的歌曲");
}

// Entries of a great many separators give their song like any other.
TEST_F(FetchSongList, EntriesOfManySeparatorsGiveTheirSong) {
    for (const char* path : {"/hostile/separators?count=300000", "/hostile/spaced-separators?count=300000"}) {
        Fetch(path);
        EXPECT_TRUE(ui_.messages.shown.empty()) << path;
        ASSERT_EQ(ui_.songs.RowCount(), 6) << path;
        EXPECT_EQ(ui_.songs.Tag(6), 4001) << path;
        EXPECT_EQ(ui_.songs.Name(6), "长歌") << path;
    }
}

// The following pages stop once their text would pass the byte bound: the
// list holds the songs of the pages read before, and the status line says
// how many pages those are (unless the row bound has its own say).
TEST_F(FetchSongList, FollowingPagesStopAtTheByteBound) {
    config_.GetPage = 20;
    catalogue_.SetBodyLimit(2500000);
    Fetch("/hostile/bigpages/1mb/");
    EXPECT_EQ(Targets(), (std::vector<std::string>{"/hostile/bigpages/1mb/", "/hostile/bigpages/1mb/2",
                                                   "/hostile/bigpages/1mb/3"}));
    EXPECT_EQ(ui_.status.Text(), "页面太大，只列出前2页的歌曲");
    EXPECT_TRUE(ui_.messages.shown.empty());

    // A first page over the bound is listed whole, and is the only one.
    config_.GetPage = 3;
    catalogue_.SetBodyLimit(100);
    Site().ClearRequests();
    Fetch("/music/chart/");
    EXPECT_EQ(Targets(), std::vector<std::string>{"/music/chart/"});
    EXPECT_EQ(ui_.songs.RowCount(), 10);
    EXPECT_EQ(ui_.songs.Tag(10), 3010);
    EXPECT_EQ(ui_.status.Text(), "页面太大，只列出前1页的歌曲");

    catalogue_.SetRowLimit(5);
    Fetch("/music/chart/");
    EXPECT_EQ(ui_.status.Text(), "歌曲太多，只列出前5首");

    catalogue_.SetRowLimit(kMaxSongRows);
    catalogue_.SetBodyLimit(kMaxListBodyBytes);
    Fetch("/music/chart/");
    EXPECT_EQ(ui_.songs.RowCount(), 30);
    EXPECT_EQ(ui_.status.Text(), "正在获取分页歌曲列表......");
}

// A sign-in form and reply built large get no further than a short text
// into the form sent back and into the message.
TEST_F(FetchSongList, LargeSignInPagesStayOutOfTheFormAndTheMessage) {
    Options().signInPadding = 2 * 1024 * 1024;
    config_.LoginName = "demo";
    config_.LoginPass = "demo";
    Fetch("/home.php?tag=fav");
    std::size_t posted = 0;
    for (const auto& request : Site().Requests()) posted += request.method == "POST" ? request.body.size() : 0;
    EXPECT_GT(posted, 0u);
    EXPECT_LT(posted, 4096u);
    ASSERT_EQ(ui_.messages.shown.size(), 1u);
    EXPECT_EQ(ui_.messages.shown[0].rfind("登陆TW出错：验证码已过期，请重新登录777", 0), 0u);
    EXPECT_LT(ui_.messages.shown[0].size(), 2048u);
    EXPECT_FALSE(state_.SignedIn);
}

TEST_F(FetchSongList, StalledServerGivesUpWithTheNetworkMessage) {
    const web::HttpLimits saved = web::GetHttpLimits();
    web::SetHttpLimits({2, 1});
    Fetch("/hostile/stall?seconds=8");
    web::SetHttpLimits(saved);
    EXPECT_EQ(ui_.messages.shown, std::vector<std::string>{"获取歌曲列表失败，请检查网络连接！"});
}

class ListCommand : public FetchSongList {
protected:
    void SetUp() override {
        FetchSongList::SetUp();
        ini_ = temp_.File("Config.ini");
    }
    testing::TempFolder temp_;
    std::string ini_;
};

TEST_F(ListCommand, ChecksFieldsSavesThemAndAcceptsOnlyTheSite) {
    RunListCommand(ui_.ports, catalogue_, "", "/tmp", ini_);
    RunListCommand(ui_.ports, catalogue_, testing::MusicUrl("/music/lsn"), "", ini_);
    EXPECT_EQ(ui_.messages.shown, (std::vector<std::string>{"请输入音乐列表地址！", "请输入音乐保保存地址！"}));
    EXPECT_FALSE(std::filesystem::exists(ini_));

    std::string upper = testing::MusicUrl("/music/lsn");
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
    RunListCommand(ui_.ports, catalogue_, upper, "/music", ini_);
    EXPECT_EQ(ui_.messages.shown.back(), std::string("本软件不支持") + hosts::kMusicHost + "网站外的歌曲！");
    EXPECT_EQ(settings::ReadIni("Config", "ListUrl", "", 255, ini_), upper);
    EXPECT_EQ(settings::ReadIni("Config", "SavePath", "", 100, ini_), "/music");
    EXPECT_TRUE(Site().Requests().empty());

    // The host test passes without a scheme; the fetch itself then fails.
    RunListCommand(ui_.ports, catalogue_, std::string(hosts::kMusicHost) + "/music/lsn", "/music", ini_);
    EXPECT_EQ(ui_.messages.shown.back(), "获取歌曲列表失败，请检查网络连接！");

    RunListCommand(ui_.ports, catalogue_, testing::MusicUrl("/music/lsn"), "/music", ini_);
    EXPECT_EQ(ui_.songs.RowCount(), 8);
}

}  // namespace
}  // namespace tunewell::catalogue
