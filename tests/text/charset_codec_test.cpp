// SPDX-License-Identifier: GPL-3.0-or-later
// The character-set tables give the same answers on every platform: ICU on
// Linux and the Win32 code pages on Windows are checked against the same
// table and the same digest of every GBK pair.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "text/charset.h"
#include "text/charset_codec.h"
#include "text/utf8_text.h"

namespace tunewell::text {
namespace {

std::uint64_t Fnv1a(const std::string& bytes) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 1099511628211ULL;
    }
    return hash;
}

// Every two-byte GBK code (lead 0x81-0xFE, trail 0x40-0xFE without 0x7F),
// each decoded alone, with a separator between them.
TEST(CharsetCodec, EveryGbkPairDecodesAsOnTheOtherPlatform) {
    std::string all;
    int pairs = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) continue;
            const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
            all += FromGbk(pair);
            all += '|';
            ++pairs;
        }
    }
    EXPECT_EQ(pairs, 23940);
    EXPECT_EQ(Fnv1a(all), 6112410826710673473ULL);
}

struct DecodeCase {
    const char* charset;
    std::string bytes;
    std::string text;
};

class DecodeTable : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTable, GivesTheSameText) {
    const auto decoded = DecodeBytes(GetParam().bytes, GetParam().charset);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(*decoded, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    ValidAndInvalid, DecodeTable,
    ::testing::Values(
        DecodeCase{"gb2312", "\xD6\xD0\xCE\xC4 abc", "中文 abc"},
        DecodeCase{"GBK", "\x80", "€"},                        // the euro sign of code page 936
        DecodeCase{"gbk", "a\x81", "a\xEF\xBF\xBD"},           // a lead byte at the end
        DecodeCase{"gbk", "\x81\x30z", "\xEF\xBF\xBD" "0z"},   // a follower that cannot trail is read again
        DecodeCase{"gbk", "\xFF" "a", "\xEF\xA3\xB5" "a"},    // code page 936 gives it a private-use character
        DecodeCase{"utf-8", "\xE4\xB8\xAD", "中"},
        DecodeCase{"utf-8", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
        DecodeCase{"utf-8", "\xE4\xB8" "a", "\xEF\xBF\xBD" "a"},  // one mark for a cut sequence
        DecodeCase{"utf-8", "\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},
        DecodeCase{"utf-8", "\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // no surrogates
        DecodeCase{"iso-8859-1", "caf\xE9", "café"}));

TEST(CharsetCodec, UnknownNamesHaveNoTable) {
    EXPECT_FALSE(DecodeBytes("abc", "no-such-charset").has_value());
    EXPECT_FALSE(DecodeBytes("abc", "").has_value());
}

TEST(CharsetCodec, LongGbkTextsCutAcrossPiecesStayWhole) {
    // Longer than any piece the decoder works in, with a pair on every
    // boundary a byte count could cut.
    std::string bytes = "a";
    std::string text = "a";
    for (int i = 0; i < 200000; ++i) {
        bytes += "\xD6\xD0";
        text += "中";
    }
    EXPECT_EQ(FromGbk(bytes), text);
}

TEST(CharsetCodec, GbkEncodingMarksWhatGbkLacks) {
    EXPECT_EQ(ToGbk("中文"), "\xD6\xD0\xCE\xC4");
    EXPECT_EQ(ToGbk("€"), "\x80");
    EXPECT_EQ(ToGbk("a\xF0\x9F\x98\x80" "b"), "a?b");  // beyond the first plane: one mark
    EXPECT_EQ(ToGbk("a\xFF" "b"), "a?b");
    EXPECT_EQ(ToGbk(""), "");
}

TEST(CharsetCodec, LowerCaseMapsOneCodePointForAnother) {
    const struct {
        char32_t upper;
        char32_t lower;
    } table[] = {{U'A', U'a'},      {U'Z', U'z'},       {U'a', U'a'},      {U'Ä', U'ä'},
                 {U'Σ', U'σ'},      {U'Д', U'д'},       {U'Ａ', U'ａ'},    {U'Ⅰ', U'ⅰ'},
                 {U'Ⓐ', U'ⓐ'},      {U'中', U'中'},     {U'1', U'1'},      {U'\U00010400', U'\U00010428'}};
    for (const auto& row : table) {
        EXPECT_EQ(LowerCodePoint(row.upper), row.lower) << std::hex << static_cast<unsigned>(row.upper);
    }
}

TEST(Utf8Text, IllFormedSequencesEndAtTheirLongestValidStart) {
    const struct {
        std::string text;
        long code;
        std::size_t next;
    } table[] = {{"a", 'a', 1},           {"\xC3\xA9", 0xE9, 2},  {"\xE4\xB8\xAD", 0x4E2D, 3},
                 {"\xE4\xB8", -1, 2},     {"\xE4" "a", -1, 1},    {"\xC0\xAF", -1, 1},
                 {"\xED\xA0\x80", -1, 1}, {"\xF4\x90\x80\x80", -1, 1}, {"\x80", -1, 1},
                 {"\xF0\x9F\x98\x80", 0x1F600, 4}};
    for (const auto& row : table) {
        std::size_t at = 0;
        EXPECT_EQ(NextCodePoint(row.text, at), row.code) << row.text;
        EXPECT_EQ(at, row.next) << row.text;
    }
}

TEST(Utf8Text, PrefixesEndAtACharacterBoundary) {
    const struct {
        std::string text;
        std::size_t maxBytes;
        std::string prefix;
    } table[] = {{"a\xE4\xB8\xAD" "b", 3, "a"}, {"a\xE4\xB8\xAD" "b", 4, "a\xE4\xB8\xAD"},
                 {"\xF0\x9F\x98\x80", 3, ""},   {"abc", 5, "abc"},
                 {"\x80\x80\x80\x80\x80", 2, "\x80\x80"}};  // no UTF-8: cut at the bound
    for (const auto& row : table) EXPECT_EQ(Utf8Prefix(row.text, row.maxBytes), row.prefix) << row.text;
}

}  // namespace
}  // namespace tunewell::text
