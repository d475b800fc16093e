// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/charset.h"

#include <gtest/gtest.h>

namespace tunewell::text {
namespace {

const std::string kChineseGbk = "\xD6\xD0\xCE\xC4\xB8\xE8\xC7\xFA";  // 中文歌曲 in GBK
const std::string kChinese = "中文歌曲";

TEST(Charset, Gb2312NameDecodesGbkBytes) {
    EXPECT_EQ(BytesToBstr("<p>" + kChineseGbk + "</p>", "gb2312"), "<p>" + kChinese + "</p>");
    EXPECT_EQ(BytesToBstr(kChineseGbk, "GB2312"), kChinese);
}

TEST(Charset, Gb2312NameCoversGbkOnlyCharacters) {
    // 镕 lies outside GB2312 proper but inside GBK: pages labelled gb2312 use it.
    EXPECT_EQ(BytesToBstr("\xE9\x46", "gb2312"), "\xE9\x95\x95");
}

TEST(Charset, GbkBytesReadAsUtf8DoNotGiveTheText) {
    const std::string decoded = BytesToBstr(kChineseGbk, "utf-8");
    EXPECT_NE(decoded, kChinese);
    EXPECT_NE(decoded.find("\xEF\xBF\xBD"), std::string::npos);  // U+FFFD replacement
}

TEST(Charset, Utf8NameDecodesUtf8) { EXPECT_EQ(BytesToBstr(kChinese, "utf-8"), kChinese); }

TEST(Charset, UnknownNameGivesNoText) {
    EXPECT_FALSE(DecodeBytes(kChineseGbk, "no-such-charset").has_value());
    EXPECT_EQ(BytesToBstr(kChineseGbk, "no-such-charset"), "");
    EXPECT_EQ(BytesToBstr(kChineseGbk, ""), "");
}

TEST(Charset, EmptyBytesDecodeToEmptyText) {
    ASSERT_TRUE(DecodeBytes("", "gb2312").has_value());
    EXPECT_EQ(*DecodeBytes("", "gb2312"), "");
}

TEST(Charset, GbkRoundTripAndUnmappableCharacters) {
    EXPECT_EQ(ToGbk(kChinese), kChineseGbk);
    EXPECT_EQ(FromGbk(kChineseGbk), kChinese);
    EXPECT_EQ(ToGbk("a😀b"), "a?b");  // GBK has no emoji
    EXPECT_EQ(ToGbk(""), "");
}

TEST(Charset, LongTextsDecodeWholeAcrossInternalPieces) {
    // Over a megabyte (measured before decoding) and many decoding pieces,
    // with characters (a four-byte one among them) cut at every possible
    // offset of a piece's end.
    std::string utf8, gbk;
    for (int i = 0; i < 300000; ++i) {
        utf8 += i % 3 == 0 ? "a\xF0\x9F\x8E\xB5" : "\xE4\xB8\xAD";  // a, a note; 中
        gbk += i % 3 == 0 ? "a" : "\xD6\xD0";
    }
    EXPECT_TRUE(BytesToBstr(utf8, "utf-8") == utf8);
    std::string expected;
    for (int i = 0; i < 300000; ++i) expected += i % 3 == 0 ? "a" : "\xE4\xB8\xAD";
    EXPECT_TRUE(BytesToBstr(gbk, "gb2312") == expected);
}

}  // namespace
}  // namespace tunewell::text
