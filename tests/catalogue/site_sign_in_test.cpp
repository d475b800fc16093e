// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdlib>

#include "catalogue/site_sign_in.h"
#include "support/fake_ui.h"

namespace tunewell::catalogue {
namespace {

TEST(SiteSignIn, FormBodyEncodesTheLoginAndKeepsTheFormValues) {
    EXPECT_EQ(SiteSignIn::BuildFormBody("张三", "a&b+c", "pc1", "m 2"),
              "name=%D5%C5%C8%FD&pwd=a%26b%2Bc&passcode=pc1&mpc=m 2&B12=Login");
    EXPECT_EQ(SiteSignIn::BuildFormBody("u", "p", "", ""), "name=u&pwd=p&passcode=&mpc=&B12=Login");
}

// A sign-in whose post never reaches the site is not a success: the user
// hears of the network, the settings stay closed, SignedIn stays false.
TEST(SiteSignIn, UnreachableSiteIsNotASuccess) {
    testing::FakeUi ui;
    settings::Config config;
    config.LoginName = "demo";
    config.LoginPass = "demo";
    CatalogueState state{true};
    ::setenv("http_proxy", "http://127.0.0.1:1", 1);  // nothing listens there
    SiteSignIn(ui.ports, config, state).SignIn();
    ::unsetenv("http_proxy");
    EXPECT_FALSE(state.SignedIn);
    EXPECT_EQ(ui.messages.shown, std::vector<std::string>{"获取歌曲列表失败，请检查网络连接！"});
    EXPECT_EQ(ui.windows.settingsShown, 0);
    EXPECT_TRUE(ui.status.texts.empty());
}

}  // namespace
}  // namespace tunewell::catalogue
