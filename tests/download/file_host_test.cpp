// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "download/file_host.h"
#include "net/cookie_store.h"
#include "support/site_urls.h"

namespace tunewell::download {
namespace {

std::tm Fields(int year, int month, int day, int hour, int minute, int second) {
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    const std::time_t t = timegm(&fields);
    gmtime_r(&t, &fields);  // fills the weekday
    return fields;
}

TEST(FileHost, CookieDateFormat) {
    EXPECT_EQ(FormatCookieDate(Fields(2026, 12, 7, 9, 5, 3)), "Mon, 07 Dec 2026 09:05:03 GMT");
    EXPECT_EQ(FormatCookieDate(Fields(2027, 1, 1, 0, 0, 0)), "Fri, 01 Jan 2027 00:00:00 GMT");
}

TEST(FileHost, ExpiryLiesEightHoursAheadOfUtcWhateverTheLocalZone) {
    const std::time_t now = 1796634303;  // 2026-12-07 09:05:03 UTC
    EXPECT_EQ(FormatCookieDate(CookieExpiryFields(now)), "Mon, 07 Dec 2026 17:05:03 GMT");
}

TEST(FileHost, CookieValueIsTheSecondArgumentWithoutBlanksAndApostrophes) {
    EXPECT_EQ(CookieValueFromLinkPage("x setCookie('ROXCDNKEY', 'a b', 1); y"), "ab");
    EXPECT_EQ(CookieValueFromLinkPage("setCookie('only');"), "only");
    EXPECT_EQ(CookieValueFromLinkPage("no call here"), "");
    EXPECT_EQ(CookieValueFromLinkPage("$False$"), "");
}

TEST(FileHost, StoredCookieIsScopedToTheDownloadPath) {
    auto& store = net::CookieStore::Instance();
    store.Clear();
    StoreCookie(testing::FileHostUrl("/zh-cn/download/123/", ""), "ROXCDNKEY",
                "v1;expires=" + FormatCookieDate(CookieExpiryFields(std::time(nullptr))));
    const std::string dump = store.Dump();
    EXPECT_NE(dump.find(std::string(hosts::kFileHostDomain) + "\tTRUE\t/zh-cn/download/123/"), std::string::npos) << dump;
    EXPECT_NE(dump.find("ROXCDNKEY\tv1"), std::string::npos) << dump;

    // The expiry written is read back as a moment hours ahead, so the
    // cookie outlives the download on any clock.
    const std::string before = "/zh-cn/download/123/\tFALSE\t";
    const auto fields = dump.substr(dump.find(before) + before.size());
    EXPECT_GT(std::stoll(fields), static_cast<long long>(std::time(nullptr)) + 7 * 3600) << dump;
    store.Clear();
}

TEST(FileHost, AssembledAddressUsesHostLabelAndEncodedName) {
    const std::string page = "var file_name = \"我的 song-1.MP3\";";
    EXPECT_EQ(AssembleFileHostAddress(testing::FileHostUrl("/zh-cn/files/123/", "www.s1."), page),
              testing::FileHostUrl("/zh-cn/download/123/%CE%D2%B5%C4%20song-1.MP3", "s1."));
}

}  // namespace
}  // namespace tunewell::download
