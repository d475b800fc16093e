// SPDX-License-Identifier: GPL-3.0-or-later
#include "update/version_check.h"

#include "web/get_body.h"
#include "web/http_client.h"
#include "hosts/site_hosts.h"
#include "text/text_utils.h"

namespace tunewell::update {

VersionReply ParseVersionReply(const std::string& reply) {
    return {web::GetBody(reply, "{TunewellVerSion}", "{/TunewellVerSion}", false, false),
            web::GetBody(reply, "{TunewellAD}", "{/TunewellAD}", false, false)};
}

std::string CutVersion(const std::string& version) {
    const auto first = version.find('.');
    if (first == std::string::npos || first == 0) return version;
    const auto second = version.find('.', first + 1);
    return second == std::string::npos ? version : version.substr(0, second);
}

namespace {

// Every byte outside the unreserved set (letters, digits, "-", ".", "_",
// "~") as %XX, so a serial with blanks, "#" or "&" stays one query value.
std::string PercentEncoded(const std::string& text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const unsigned char c : text) {
        const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                                c == '-' || c == '.' || c == '_' || c == '~';
        if (unreserved) {
            encoded += static_cast<char>(c);
        } else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 0x0F];
        }
    }
    return encoded;
}

}  // namespace

std::string VersionRequestAddress(const std::string& serial, long randomNumber) {
    return std::string(hosts::kVersionServer) + "/tunewell.asp?SN=" + PercentEncoded(serial) +
           "&Rand=" + std::to_string(randomNumber);
}

void VersionCheck::CheckVersion(const std::string& serial) {
    const std::string address = VersionRequestAddress(serial, text::RandomInRange(10000, 999999));
    events_.ProcessPending();
    const std::string before = status_.Text();
    const std::string reply = fetch ? fetch(address) : web::GetHttpPage(address, address, "gb2312");
    events_.ProcessPending();
    if (reply.empty() || reply == web::kFalse) return;
    ApplyReply(reply, status_.Text() == before);
}

void VersionCheck::ApplyReply(const std::string& reply, bool tellStatus) {
    const VersionReply fields = ParseVersionReply(reply);
    const text::Number newest = text::ToNumber(CutVersion(fields.version));
    const text::Number own =
        text::ToNumber(std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor));

    // The advertisement is taken before the updater may end the program, so
    // its globals never depend on the update's outcome.
    const std::string& ad = fields.advertisement;
    if (!ad.empty() && ad != web::kFalse && ad.find("||") != std::string::npos) {
        globals_.AdPic = ad.substr(0, ad.find("||"));
        const std::string rest = ad.substr(ad.find("||") + 2);
        globals_.AdLink = rest.substr(0, rest.find("||"));
    }
    if (newest.value > own.value) {
        globals_.OfferedVersion = fields.version;
        if (tellStatus) {
            status_.SetColour(ports::StatusLine::kRed);
            status_.SetText("发现新的版本Ver" + newest.ToText());
        }
        if (openUpdater_) openUpdater_();
    } else if (tellStatus) {
        status_.SetText("您使用的是最新版本");
    }
}

}  // namespace tunewell::update
