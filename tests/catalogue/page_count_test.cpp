#include <gtest/gtest.h>

#include "catalogue/page_count.h"

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

}  // namespace
}  // namespace tunewell::catalogue
