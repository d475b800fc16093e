// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/cookie_header.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "hosts/site_hosts.h"
#include "support/site_urls.h"

namespace tunewell::net {
namespace {

TEST(CookieHeader, OnlyCookiesThatARequestWouldCarry) {
    const std::string domain = hosts::kFileHostDomain;
    const std::string lines =
        "." + domain + "\tTRUE\t/zh-cn/download/123/\tFALSE\t0\tROXCDNKEY\tk1\n" +
        domain + "\tFALSE\t/\tFALSE\t0\tHOSTONLY\th\n" +
        "#HttpOnly_" + domain + "\tFALSE\t/\tTRUE\t0\tSECURE\ts\n" +
        domain + "\tFALSE\t/\tFALSE\t100\tOLD\to\n" +
        hosts::kMusicHost + "\tTRUE\t/\tFALSE\t0\tOTHER\tx\n";
    const std::time_t now = 1000;
    struct Case {
        std::string url, header;
    } cases[] = {
        {testing::FileHostUrl("/zh-cn/download/123/a.mp3", "s1."), "ROXCDNKEY=k1"},
        {testing::FileHostUrl("/zh-cn/download/123/", ""), "ROXCDNKEY=k1; HOSTONLY=h"},
        {"https://" + domain + ":443/zh-cn/download/1234/a.mp3", "HOSTONLY=h; SECURE=s"},
        {testing::FileHostUrl("/zh-cn/download/123/a.mp3", "evil"), ""},  // not a subdomain
        {testing::FileHostUrl("/zh-cn/download/12/a.mp3", "s1."), ""},    // another path
        {"not an address", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(CookieHeaderFor(c.url, lines, now), c.header) << c.url;
}

}  // namespace
}  // namespace tunewell::net
