// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "support/fake_ui.h"
#include "update/version_check.h"
#include "support/site_urls.h"

namespace tunewell::update {
namespace {

struct ReplyCase {
    std::string reply;
    bool newer;
    std::string status;
};

TEST(VersionCheck, ComparesTheCutVersionAsANumber) {
    const ReplyCase cases[] = {
        {"{TunewellVerSion}2.6{/TunewellVerSion}", true, "发现新的版本Ver2.6"},
        {"{TunewellVerSion}2.60{/TunewellVerSion}", true, "发现新的版本Ver2.6"},
        {"{TunewellVerSion}2.6.9{/TunewellVerSion}", true, "发现新的版本Ver2.6"},
        {"{TunewellVerSion}3{/TunewellVerSion}", true, "发现新的版本Ver3"},
        {"{TunewellVerSion}2.5{/TunewellVerSion}", false, "您使用的是最新版本"},
        {"{TunewellVerSion}2.10{/TunewellVerSion}", false, "您使用的是最新版本"},
        {"{TunewellVerSion}.5{/TunewellVerSion}", false, "您使用的是最新版本"},
        {"{TunewellVerSion}abc{/TunewellVerSion}", false, "您使用的是最新版本"},
        {"{tunewellversion}9{/tunewellversion}", false, "您使用的是最新版本"},
        {"no tags at all", false, "您使用的是最新版本"},
    };
    for (const ReplyCase& c : cases) {
        testing::RecordingStatus status;
        testing::ScriptedPump pump;
        UpdateGlobals globals;
        int opened = 0;
        VersionCheck check(status, pump, globals, [&] { ++opened; });
        check.ApplyReply(c.reply);
        EXPECT_EQ(status.Text(), c.status) << c.reply;
        EXPECT_EQ(opened, c.newer ? 1 : 0) << c.reply;
        EXPECT_EQ(status.colours.empty(), !c.newer) << c.reply;
        // The updater is told the version exactly as announced: that is the
        // version the download must be signed as.
        EXPECT_EQ(globals.OfferedVersion, c.newer ? ParseVersionReply(c.reply).version : "") << c.reply;
    }
}

TEST(VersionCheck, AdvertisementSplitsAtTheSeparator) {
    const std::pair<std::string, std::pair<std::string, std::string>> cases[] = {
        {"{TunewellAD}pic||link||more{/TunewellAD}", {"pic", "link"}},
        {"{TunewellAD}pic||link{/TunewellAD}", {"pic", "link"}},
        {"{TunewellAD}no separator{/TunewellAD}", {"old", "old"}},
        {"nothing", {"old", "old"}},
    };
    for (const auto& [reply, expected] : cases) {
        testing::RecordingStatus status;
        testing::ScriptedPump pump;
        UpdateGlobals globals{"old", "old", "", ""};
        VersionCheck(status, pump, globals, nullptr).ApplyReply(reply);
        EXPECT_EQ(globals.AdPic, expected.first) << reply;
        EXPECT_EQ(globals.AdLink, expected.second) << reply;
    }
}

TEST(VersionCheck, RequestAddressAndCut) {
    EXPECT_EQ(VersionRequestAddress("WD-123", 45678), testing::VersionUrl("/tunewell.asp?SN=WD-123&Rand=45678"));
    EXPECT_EQ(VersionRequestAddress("", 10000), testing::VersionUrl("/tunewell.asp?SN=&Rand=10000"));
    EXPECT_EQ(VersionRequestAddress("WD 12#3&x=y~_.", 10000),
              testing::VersionUrl("/tunewell.asp?SN=WD%2012%233%26x%3Dy~_.&Rand=10000"));
    EXPECT_EQ(VersionRequestAddress("\xC4\xE3/+", 10000), testing::VersionUrl("/tunewell.asp?SN=%C4%E3%2F%2B&Rand=10000"));
    EXPECT_EQ(CutVersion("2.6.1"), "2.6");
    EXPECT_EQ(CutVersion(".5.1"), ".5.1");
    EXPECT_EQ(CutVersion("26"), "26");
}

// The user fetched a list while the version server was slow: its late
// answer leaves the list's newer status text, but a newer version is still
// offered.
TEST(VersionCheck, ALateReplyLeavesANewerStatusText) {
    for (const bool newer : {false, true}) {
        testing::RecordingStatus status;
        status.SetText("正在获取歌曲列表......");
        testing::ScriptedPump pump;
        UpdateGlobals globals;
        int opened = 0;
        VersionCheck check(status, pump, globals, [&] { ++opened; });
        check.fetch = [&](const std::string&) {
            status.SetText("获取歌曲列表成功,请单击选择您想下载的歌曲");
            return std::string(newer ? "{TunewellVerSion}2.6{/TunewellVerSion}" : "{TunewellVerSion}2.5{/TunewellVerSion}");
        };
        check.CheckVersion("serial");
        EXPECT_EQ(status.Text(), "获取歌曲列表成功,请单击选择您想下载的歌曲");
        EXPECT_TRUE(status.colours.empty());
        EXPECT_EQ(opened, newer ? 1 : 0);
    }
    // Nothing else wrote meanwhile: the check tells its result.
    testing::RecordingStatus status;
    testing::ScriptedPump pump;
    UpdateGlobals globals;
    VersionCheck check(status, pump, globals, nullptr);
    check.fetch = [](const std::string&) { return std::string("{TunewellVerSion}2.5{/TunewellVerSion}"); };
    check.CheckVersion("serial");
    EXPECT_EQ(status.Text(), "您使用的是最新版本");
}

TEST(VersionCheck, UnreachableServerChangesNothing) {
    testing::RecordingStatus status;
    testing::ScriptedPump pump;
    UpdateGlobals globals;
    int opened = 0;
    // Nothing listens on port 1 of loopback; the proxy variable points there.
    setenv("http_proxy", "http://127.0.0.1:1", 1);
    VersionCheck(status, pump, globals, [&] { ++opened; }).CheckVersion("serial");
    unsetenv("http_proxy");
    EXPECT_TRUE(status.texts.empty());
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(pump.count, 2);
}

}  // namespace
}  // namespace tunewell::update
