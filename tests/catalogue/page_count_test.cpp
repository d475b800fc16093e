// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "catalogue/page_count.h"
#include "heap_peak.h"

namespace tunewell::catalogue {
namespace {

std::string Pager(const std::string& links) { return "x<div class=pages>" + links + "</div>y"; }

const std::string kRaquoPath = Pager("<a href='/music/chart/2'>2</a><a href='/music/chart/12'>&raquo;</a>");
const std::string kRaquoCurpage =
    Pager("<a href='/home.php?tag=fav&curpage=2'>2</a><a href='/home.php?tag=fav&curpage=7'>&raquo;</a>");

struct CountCase {
    std::string page;
    std::int16_t getPage;
    double expected;
};

TEST(PageCount, SmallerOfPagerAndSetting) {
    const CountCase cases[] = {
        {kRaquoPath, 5, 5},
        {kRaquoPath, 20, 12},
        {kRaquoPath, 12, 12},
        {kRaquoCurpage, 10, 7},
        {Pager("<a href='/c/2'>2</a><a href='/c/9'>9</a>"), 5, 5},
        {Pager("<a href='/c/2'>2</a><a href='/c/9'>9</a>"), 30, 9},
        {Pager("<a href='/c/2'>下一页</a>"), 5, 0},
        {"no pager here", 5, 0},
        {Pager("no links"), 5, 0},
        {kRaquoPath, 1, 1},
        {kRaquoPath, -2, -2},
        {Pager("<a href='/music/chart/12/'>&raquo;</a>"), 5, 0},
    };
    for (const CountCase& c : cases) {
        EXPECT_EQ(GetPageCount(c.page, c.getPage), c.expected) << c.page << " / " << c.getPage;
    }
}

// A pager of a million links is read in place: neither the pager nor its
// pieces are copied. A count text longer than any page count is none.
TEST(PageCount, LargePagersAreReadInPlace) {
    std::string links;
    for (int i = 0; i < 1000000; ++i) links += "<a";
    const std::string page = Pager(links + "<a href='/c/2'>2</a><a href='/c/9'>&raquo;</a>");
    const testing::HeapPeak peak;
    EXPECT_EQ(GetPageCount(page, 20), 9);
    EXPECT_LT(peak.Added(), 64u * 1024);
    EXPECT_EQ(GetPageCount(Pager("<a href='/c/" + std::string(100, '9') + "'>&raquo;</a>"), 20), 0);
}

}  // namespace
}  // namespace tunewell::catalogue
