// SPDX-License-Identifier: GPL-3.0-or-later
#include "download/file_host.h"

#include "net/cookie_store.h"
#include "platform/time_fields.h"
#include "web/get_body.h"
#include "web/http_client.h"
#include "hosts/site_hosts.h"
#include "text/text_utils.h"

namespace tunewell::download {
namespace {

std::string TwoDigits(int value) {
    const std::string text = "00" + std::to_string(value);
    return text.substr(text.size() - 2);
}

std::string FilePageAddress(const std::string& fileId) {
    return std::string("http://www.") + hosts::kFileHostDomain + "/zh-cn/files/" + fileId + "/";
}

}  // namespace

std::string FormatCookieDate(const std::tm& fields) {
    static const char* const kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const int weekday = (fields.tm_wday % 7 + 7) % 7;
    const int month = (fields.tm_mon % 12 + 12) % 12;
    return std::string(kWeekdays[weekday]) + ", " + TwoDigits(fields.tm_mday) + " " +
           kMonths[month] + " " + std::to_string(fields.tm_year + 1900) + " " +
           TwoDigits(fields.tm_hour) + ":" + TwoDigits(fields.tm_min) + ":" +
           TwoDigits(fields.tm_sec) + " GMT";
}

std::tm CookieExpiryFields(std::time_t now) {
    const std::time_t later = now + 8 * 3600;
    std::tm fields{};
    platform::UtcFields(later, fields);
    return fields;
}

void StoreCookie(const std::string& url, const std::string& name, const std::string& data) {
    net::CookieStore::Instance().Store(url, name, data);
}

std::string CookieValueFromLinkPage(const std::string& linkPage) {
    std::string value = web::GetBody(linkPage, "setCookie(", ");", false, false);
    value = text::ReplaceAll(value, " ", "");
    value = text::ReplaceAll(value, "'", "");
    if (value.find(',') == std::string::npos) return value;
    const auto first = value.find(',');
    const auto second = value.find(',', first + 1);
    return value.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
}

void PrepareFileHostDownload(ports::EventPump& events, const std::string& address) {
    const std::string fileId = text::SplitPart(address, "/", 3);
    const std::string filePageAddress = FilePageAddress(fileId);
    events.ProcessPending();
    const std::string filePage = web::GetHttpPage(
        filePageAddress, std::string("http://www.") + hosts::kFileHostDomain, "utf-8");
    events.ProcessPending();
    const std::string link = web::GetBody(filePage, "<dt class=\"btn_22\"><a href=\"", "\"", false, false);
    events.ProcessPending();
    const std::string linkPage = web::GetHttpPage(link, filePageAddress, "utf-8");
    events.ProcessPending();

    const std::string value = CookieValueFromLinkPage(linkPage);
    const std::string expiry = FormatCookieDate(CookieExpiryFields(std::time(nullptr)));
    std::string cookieAddress = text::ReplaceAll(filePageAddress, "www.", "");
    cookieAddress = text::ReplaceAll(cookieAddress, "files", "download");
    StoreCookie(cookieAddress, "ROXCDNKEY", value + ";expires=" + expiry);
}

std::string AssembleFileHostAddress(const std::string& address, const std::string& filePage) {
    const std::string domain = hosts::kFileHostDomain;
    const std::string firstLabel = domain.substr(0, domain.find('.'));
    const std::string host = web::GetBody(address, "http://", "/", false, false);
    const std::string hostLabel = web::GetBody(host, ".", "." + firstLabel, false, false);
    const std::string fileName = web::GetBody(filePage, "var file_name = \"", "\";", false, false);
    const auto dot = fileName.rfind('.');
    std::string encoded = text::UrlEncode(fileName.substr(0, dot));
    if (dot != std::string::npos) encoded += fileName.substr(dot);
    encoded = text::ReplaceAll(text::ReplaceAll(encoded, "%2E", "."), "%2D", "-");
    return "http://" + hostLabel + "." + domain + "/zh-cn/download/" +
           text::SplitPart(address, "/", 3) + "/" + encoded;
}

}  // namespace tunewell::download
