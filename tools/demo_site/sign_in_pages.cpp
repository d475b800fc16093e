// SPDX-License-Identifier: GPL-3.0-or-later
#include "demo_site/routes.h"
#include "demo_site/site_names.h"
#include "hosts/site_hosts.h"
#include "text/charset.h"

namespace tunewell::demo {
namespace {

constexpr const char* kSessionCookie = "TWSID";

struct Account {
    const char* name;
    const char* password;
};
// The demo accounts: a plain one and one whose name is Chinese and whose
// password holds characters that form encoding must escape.
constexpr Account kAccounts[] = {{"demo", "demo"}, {"张三", "a&b+c"}};

// The padding of DemoOptions::signInPadding.
std::string Padding(DemoState& state) { return std::string(state.Options().signInPadding, '7'); }

void SendSignInForm(DemoState& state, HttpResponse& response) {
    const auto [passcode, mpc] = state.IssueFormValues();
    const std::string padding = Padding(state);
    const std::string html =
        SitePageHead("登录") +
        Crlf({"<DIV class=login>",
              "<H2>登录到Tunewell</H2>",
              "<FORM name=login action=\"/info_oper.php?tag=signin&pageref=%2Fhome.php%3Ftag%3Dfav\" method=post>",
              "<P>用户名：<INPUT class=input name=name size=20></P>",
              "<P>密&nbsp;&nbsp;码：<INPUT class=input type=password name=pwd size=20></P>",
              "<P>验证码：<INPUT class=input name=passcode size=8 style='color:#666' value='" + passcode +
                  padding + "'></P>",
              "<INPUT type=hidden name=mpc value=" + mpc + ">",
              "<P><INPUT type=submit name=B12 value=Login></P>",
              "</FORM>",
              "</DIV>"}) +
        SitePageFoot();
    SendGbkPage(response, html);
}

// The site's own form posts to exactly this query, from its index page; a
// post that differs in either is refused like a forged form, so a client
// has to send what the site's page would.
constexpr const char* kFormQuery = "tag=signin&pageref=%2Fhome.php%3Ftag%3Dfav";

bool PostedFromTheSiteForm(const HttpRequest& request) {
    return request.query == kFormQuery &&
           request.Header("Referer") == std::string("http://") + hosts::kMusicHost + "/index.php";
}

// A form value: percent-decoded bytes in GBK, turned into UTF-8.
std::string FormText(const std::string& body, const char* key) {
    return text::FromGbk(PercentDecode(FormValue(body, key), true));
}

void SendSignInResult(HttpResponse& response, const std::string& error, const std::string& pageref) {
    std::string content;
    if (error.empty()) {
        content = Crlf({"<META http-equiv=refresh content=\"1;url=" + pageref + "\">",
                        "<DIV class=msg>登录成功，正在转向……</DIV>"});
    } else {
        content = Crlf({"<DIV class=login>", "<P>登录失败：<span class='red'>" + error + "</span><br />",
                        "<A href=\"/signin.php\">重新登录</A></P>", "</DIV>"});
    }
    SendGbkPage(response, SitePageHead("登录") + content + SitePageFoot());
}

void SignInPost(DemoState& state, const HttpRequest& request, HttpResponse& response) {
    const std::string& body = request.body;
    const std::string name = FormText(body, "name");
    const std::string password = FormText(body, "pwd");
    const std::string passcode = PercentDecode(FormValue(body, "passcode"), true);
    const std::string mpc = PercentDecode(FormValue(body, "mpc"), true);
    std::string pageref = PercentDecode(request.QueryValue("pageref"), false);
    if (pageref.empty() || pageref.front() != '/') pageref = std::string(1, '/');
    if (!PostedFromTheSiteForm(request)) {
        SendSignInResult(response, "请求无效，请从登录页面登录", pageref);
        return;
    }
    if (!state.FormValuesValid(passcode, mpc)) {
        SendSignInResult(response, "验证码已过期，请重新登录" + Padding(state), pageref);
        return;
    }
    for (const Account& account : kAccounts) {
        if (name == account.name && password == account.password) {
            const std::string token = state.OpenSession(name);
            response.AddHeader("Set-Cookie", std::string(kSessionCookie) + "=" + token + "; domain=" + MusicHostName() +
                                                   "; path=/");
            SendSignInResult(response, "", pageref);
            return;
        }
    }
    SendSignInResult(response, "用户名或密码错误", pageref);
}

}  // namespace

bool SignedInOrForm(DemoState& state, const HttpRequest& request, HttpResponse& response) {
    if (!state.Options().requireSignIn || state.SessionValid(request.CookieValue(kSessionCookie))) return true;
    SendSignInForm(state, response);
    return false;
}

bool HandleSignIn(DemoState& state, const HttpRequest& request, HttpResponse& response) {
    if (request.path == "/signin.php") {
        SendSignInForm(state, response);
        return true;
    }
    if (request.path == "/info_oper.php") {
        if (request.method == "POST" && request.QueryValue("tag") == "signin") {
            SignInPost(state, request, response);
        } else {
            SendSignInForm(state, response);
        }
        return true;
    }
    return false;
}

}  // namespace tunewell::demo
