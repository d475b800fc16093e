// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/text_utils.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace tunewell::text {
namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

TEST(RandomInRange, StaysWithinLowerAndBelowUpper) {
    for (int i = 0; i < 2000; ++i) {
        const long value = RandomInRange(10000, 999999);
        ASSERT_GE(value, 10000);
        ASSERT_LT(value, 999999);
    }
    for (int i = 0; i < 200; ++i) ASSERT_EQ(RandomInRange(0, 1), 0);
}

TEST(CleanFileName, RemovesForbiddenMarksAndShortensBlanks) {
    const Pairs cases = {
        {"A/B:C.mp3", "ABCmp3"},
        {R"(a\b?c;d"e|f<g>h'i~j)", "abcdefghij"},
        {"k!l@m#n$o%p^q&r*s+t,u.v", "klmnopqrstuv"},
        {"a     b", "a b"},            // five blanks
        {"a       b", "a b"},          // seven: four, then two, then one
        {"a\xE3\x80\x80 b", "a  b"},   // ideographic space next to a blank
        {"name\xE2\x80\xA6\xE2\x80\xA6 x", "namex"},
        {"name\xE2\x80\xA6 x", "name\xE2\x80\xA6 x"},
        {" edge ", " edge "},
        {"歌曲 - 歌手", "歌曲 - 歌手"},
        // control characters (C0, DEL, C1) would reach terminals and files
        {"a\x1B[31mb\x7F\tc\xC2\x9B" "2Jd\xC2\x80", "a[31mbc2Jd"},
        {"a\x01 \x02 b", "a b"},
        {"\xC2\xA0\xC2\xA9", "\xC2\xA0\xC2\xA9"},  // U+00A0 and U+00A9 are not controls
    };
    for (const auto& [input, expected] : cases) {
        std::string text = input;
        EXPECT_EQ(CleanFileName(text), expected) << input;
        EXPECT_EQ(text, expected) << "written back for " << input;
    }
}

TEST(NormalizePage, LowerCasesEveryLetterAndDropsEveryLineBreak) {
    const Pairs cases = {
        {"<TD>A\rB\nC\r\nD</TD>\n\r中文", "<td>abcd</td>中文"},
        {"ΩД ＡＢ ÀÉ", "ωд ａｂ àé"},                      // every script, not ASCII alone
        {"\xC8\xBA\r\nX", "\xE2\xB1\xA5x"},          // U+023A: its small letter is a byte longer
        {"\xC8\xBA\xC8\xBAYZ", "\xE2\xB1\xA5\xE2\xB1\xA5yz"},
        {"A\xFF\xC3" "B", "a\xFF\xC3" "b"},           // bytes that are not UTF-8 stay
    };
    for (const auto& [input, expected] : cases) {
        std::string page = input;
        EXPECT_EQ(NormalizePage(page), expected) << input;
        EXPECT_EQ(page, expected) << "written back for " << input;
    }
}

struct NumberCase {
    std::string text;
    Number::Kind kind;
    double value;
};

TEST(ToNumber, KindsAndValues) {
    const std::vector<NumberCase> cases = {
        {"", Number::Kind::Int16, 0},
        {"$False$", Number::Kind::Int16, 0},
        {"abc", Number::Kind::Int16, 0},
        {"12a", Number::Kind::Int16, 0},
        {"1e", Number::Kind::Int16, 0},
        {".", Number::Kind::Int16, 0},
        {"12", Number::Kind::Int16, 12},
        {" 12 ", Number::Kind::Int16, 12},
        {"-7", Number::Kind::Int16, -7},
        {"+7", Number::Kind::Int16, 7},
        {"32767", Number::Kind::Int16, 32767},
        {"32768", Number::Kind::Int32, 32768},
        {"2147483647", Number::Kind::Int32, 2147483647.0},
        {"2147483648", Number::Kind::Double, 2147483648.0},
        {"2.5", Number::Kind::Double, 2.5},
        {"2.0", Number::Kind::Double, 2.0},
        {".5", Number::Kind::Double, 0.5},
        {"1,234", Number::Kind::Int16, 1234},
        {"1,234,567", Number::Kind::Int32, 1234567},
        {"1e3", Number::Kind::Int16, 1000},
        {"1.5E2", Number::Kind::Double, 150},
        {"-40000", Number::Kind::Int32, -40000},
        {"-32768", Number::Kind::Int16, -32768},
        {"-3000000000", Number::Kind::Double, -3000000000.0},
    };
    for (const auto& c : cases) {
        const Number n = ToNumber(c.text);
        EXPECT_EQ(n.value, c.value) << "'" << c.text << "'";
        EXPECT_EQ(n.kind, c.kind) << "'" << c.text << "'";
        EXPECT_EQ(IsNumeric(c.text), c.text == "0" || c.value != 0) << "'" << c.text << "'";
    }
}

TEST(ToNumber, ComparesByValueAcrossKinds) {
    EXPECT_EQ(ToNumber("2.0"), ToNumber("2"));
    EXPECT_LT(ToNumber("2.4").value, ToNumber("32768").value);
}

TEST(Number, ToTextPrintsWholeNumbersWithoutPoint) {
    const std::vector<std::pair<Number, std::string>> cases = {
        {ToNumber("2147483648"), "2147483648"}, {ToNumber("2.5"), "2.5"},
        {ToNumber("12"), "12"},                 {ToNumber("2.0"), "2"},
        {ToNumber("-0.25"), "-0.25"},           {ToNumber(""), "0"},
        {ToNumber("0.1"), "0.1"},
    };
    for (const auto& [number, text] : cases) EXPECT_EQ(number.ToText(), text);
}

TEST(IsDateText, UsualNumericFormsWithRangeChecks) {
    const std::vector<std::pair<std::string, bool>> cases = {
        {"2008-10-01", true},  {"2008/10/01", true},  {"10/01/2008", true},
        {"10:30", true},       {"10:30:00", true},    {"2008-10-01 10:30:00", true},
        {"2008-02-29", true},  {"2007-02-29", false}, {"2008-13-01", false},
        {"2008-04-31", false}, {"24:00", false},      {"10:60", false},
        {"10:30:60", false},   {"", false},           {"2.5", false},
        {"2008-10", false},    {"abc", false},        {"2008-10-01 25:00", false},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(IsDateText(text), expected) << text;
}

TEST(UrlEncode, EscapesEverythingButLettersAndDigitsThroughGbk) {
    const Pairs cases = {
        {"", ""},
        {"abcXYZ019", "abcXYZ019"},
        {"a b", "a%20b"},
        {"\t", "%9"},
        {"-_.~", "%2D%5F%2E%7E"},
        {"中", "%D6%D0"},
        {"歌a", "%B8%E8a"},
        {"😀", "%3F"},
        {"x+y=z&", "x%2By%3Dz%26"},
    };
    for (const auto& [input, expected] : cases) EXPECT_EQ(UrlEncode(input), expected) << input;
}

TEST(SplitPart, Modes) {
    struct Row {
        std::string text, delimiter;
        int mode;
        std::string expected;
    };
    const std::vector<Row> rows = {
        {"a/b/c", "/", 1, "a"},
        {"a/b/c", "/", 2, "c"},
        {"a/b/c", "/", 3, "b"},
        {"a/b/c", "/", 4, "a/b/"},
        {"a/b/c", "/", 7, "a"},
        {"a/b/a", "/", 4, "/b/"},
        {"a/b/", "/", 4, "a/b/"},       // empty last element leaves the text
        {"abc", "/", 3, ""},            // no element before the last
        {"abc", "/", 2, "abc"},
        {"a//b", "/", 3, ""},
        {"x=1&&y=2", "&&", 2, "y=2"},
        {"aaa", "aa", 2, "a"},          // delimiters found left to right, not from the end
        {"aaaa", "aa", 3, ""},
        {"A/a", "a", 1, "A/"},
        {"http://h/dir/page.htm", "/", 4, "http://h/dir/"},
        {"", "/", 1, ""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(SplitPart(row.text, row.delimiter, row.mode), row.expected)
            << row.text << " mode " << row.mode;
    }
}

TEST(ReplaceAll, LeftToRightWithoutOverlap) {
    EXPECT_EQ(ReplaceAll("aaaa", "aa", "a"), "aa");
    EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
    EXPECT_EQ(ReplaceAll("abab", "ab", "abab"), "abababab");
}

}  // namespace
}  // namespace tunewell::text
