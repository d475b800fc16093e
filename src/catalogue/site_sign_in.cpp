// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/site_sign_in.h"

#include "net/wait_pump.h"

#include "web/get_body.h"
#include "web/http_client.h"
#include "hosts/site_hosts.h"
#include "text/text_utils.h"
#include "text/utf8_text.h"

namespace tunewell::catalogue {
namespace {

std::string SiteAddress(const char* path) { return std::string("http://") + hosts::kMusicHost + path; }

// The form's hidden values and the site's error text are a few characters;
// a page built large gets no further than this into the form or the
// message, and is never copied whole.
constexpr std::size_t kLongestSiteText = 1024;

std::string SiteText(std::string_view text) { return std::string(text::Utf8Prefix(text, kLongestSiteText)); }

}  // namespace

std::string SiteSignIn::BuildFormBody(const std::string& name, const std::string& password,
                                      const std::string& passcode, const std::string& mpc) {
    return "name=" + text::UrlEncode(name) + "&pwd=" + text::UrlEncode(password) +
           "&passcode=" + passcode + "&mpc=" + mpc + "&B12=Login";
}

// The user abandoned the step this sign-in belongs to (a list fetch): it
// ends without a word.
bool SiteSignIn::Abandoned() {
    const net::AbandonableWait* step = net::AbandonableWait::Current();
    return step != nullptr && step->Abandoned();
}

void SiteSignIn::SignIn() {
    if (config_.LoginPass.empty() || config_.LoginName.empty()) {
        ui_.message.Show("您未配置您的TW用户名或密码！");
        ui_.windows.ShowSettingsHideMain();
        return;
    }
    ui_.events.ProcessPending();
    std::string formPage = web::GetHttpPage(SiteAddress("/signin.php"), "gb2312");
    ui_.events.ProcessPending();
    if (Abandoned()) return;

    // A failed fetch leaves both values empty; the post goes ahead and the
    // site answers for itself.
    const std::string passcode = SiteText(web::GetBodyView(formPage, "color:#666' value='", "'>", false, false));
    const std::string mpc = SiteText(web::GetBodyView(formPage, "name=mpc value=", ">", false, false));
    std::string().swap(formPage);
    const std::string body = BuildFormBody(config_.LoginName, config_.LoginPass, passcode, mpc);

    ui_.events.ProcessPending();
    const std::string reply = web::PostHttpPage(
        SiteAddress("/index.php"),
        SiteAddress("/info_oper.php?tag=signin&pageref=%2Fhome.php%3Ftag%3Dfav"), body, "gb2312");
    ui_.events.ProcessPending();
    if (Abandoned()) {
        state_.SignedIn = false;
        return;
    }

    // A post that never reached the site is no sign-in: saying "success"
    // would send the user on to a page that cannot come. The list step
    // stops with its network message instead; the login itself is fine.
    if (reply == web::kFalse) {
        ui_.message.Show("获取歌曲列表失败，请检查网络连接！");
        state_.SignedIn = false;
        return;
    }
    const std::string error = SiteText(web::GetBodyView(reply, "<span class='red'>", "</span><br />", false, false));
    if (error.empty()) {
        ui_.status.SetText("登陆Tunewell成功");
        state_.SignedIn = true;
        return;
    }
    ui_.message.Show("登陆TW出错：" + error);
    ui_.windows.ShowSettingsHideMain();
    state_.SignedIn = false;
}

}  // namespace tunewell::catalogue
