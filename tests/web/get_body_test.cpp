// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/get_body.h"

#include <gtest/gtest.h>

namespace tunewell::web {
namespace {

struct Cut {
    const char* text;
    const char* start;
    const char* end;
    bool includeStart;
    bool includeEnd;
    const char* expected;
};

class GetBodyCuts : public ::testing::TestWithParam<Cut> {};

TEST_P(GetBodyCuts, GivesTheStretchBetweenTheMarkers) {
    const Cut& cut = GetParam();
    EXPECT_EQ(GetBody(cut.text, cut.start, cut.end, cut.includeStart, cut.includeEnd), cut.expected)
        << "text " << cut.text << " start " << cut.start << " end " << cut.end;
}

INSTANTIATE_TEST_SUITE_P(
    Flags, GetBodyCuts,
    ::testing::Values(Cut{"a{X}b{/X}c", "{X}", "{/X}", false, false, "b"},
                      Cut{"a{X}b{/X}c", "{X}", "{/X}", true, false, "{X}b"},
                      Cut{"a{X}b{/X}c", "{X}", "{/X}", false, true, "b{/X}"},
                      Cut{"a{X}b{/X}c", "{X}", "{/X}", true, true, "{X}b{/X}"}));

INSTANTIATE_TEST_SUITE_P(
    Positions, GetBodyCuts,
    ::testing::Values(
        // First start marker, then the first end marker behind it.
        Cut{"<b>1</b><b>2</b>", "<b>", "</b>", false, false, "1"},
        Cut{"</b>x<b>y</b>", "<b>", "</b>", false, false, "y"},
        // The end marker is searched from the start marker itself when it is kept.
        Cut{"<td>a<td>b", "<td>", "<td>", false, false, "a"},
        Cut{"<td>a<td>b", "<td>", "<td>", true, false, ""},
        Cut{"x<b>y", "<b>", ">", true, false, "<b"},
        // Multi-byte text around ASCII markers.
        Cut{"标题<h1>歌曲名</h1>尾", "<h1>", "</h1>", false, false, "歌曲名"},
        Cut{"甲乙丙丁", "乙", "丁", false, false, "丙"}));

INSTANTIATE_TEST_SUITE_P(
    Failures, GetBodyCuts,
    ::testing::Values(Cut{"{X}{/X}", "{X}", "{/X}", false, true, ""},
                      Cut{"{X}{/X}", "{X}", "{/X}", false, false, ""},
                      Cut{"abc{/X}", "{X}", "{/X}", false, false, ""},
                      Cut{"a{X}bc", "{X}", "{/X}", false, false, ""},
                      Cut{"{/X}a{X}b", "{X}", "{/X}", false, false, ""},
                      Cut{"$False$", "$", "$", false, false, ""},
                      Cut{"", "{X}", "{/X}", false, false, ""},
                      Cut{"a{X}b{/X}", "", "{/X}", false, false, ""},
                      Cut{"a{X}b{/X}", "{X}", "", false, false, ""},
                      Cut{"<A>x</a>", "<a>", "</a>", false, false, ""}));

TEST(GetBody, SentinelInsideLongerTextIsNotRefused) {
    EXPECT_EQ(GetBody("x$False$y", "x", "y", false, false), "$False$");
}

}  // namespace
}  // namespace tunewell::web
