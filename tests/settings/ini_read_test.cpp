// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/ini_file.h"
#include "support/temp_folder.h"

namespace tunewell::settings {
namespace {

using testing::TempFolder;
using testing::WriteBytes;

const std::string kZhong = "\xE4\xB8\xAD";          // 中 in UTF-8
const std::string kZhongWen = "\xE4\xB8\xAD\xE6\x96\x87";  // 中文
const std::string kZhongGbk = "\xD6\xD0";

class ReadIniTest : public ::testing::Test {
protected:
    std::string Read(const std::string& key, long length = 255, const std::string& def = "<none>") {
        return ReadIni("Config", key, def, length, file_);
    }
    void Store(const std::string& bytes) { WriteBytes(file_, bytes); }

    TempFolder folder_;
    std::string file_ = folder_.File("Config.ini");
};

TEST_F(ReadIniTest, DefaultWhenFileSectionOrKeyIsMissing) {
    EXPECT_EQ(Read("ListUrl"), "<none>");
    Store("[Other]\r\nListUrl=x\r\n");
    EXPECT_EQ(Read("ListUrl"), "<none>");
    Store("[Config]\r\nSavePath=x\r\n");
    EXPECT_EQ(Read("ListUrl"), "<none>");
}

TEST_F(ReadIniTest, DefaultIsCutToTheLength) {
    EXPECT_EQ(Read("ListUrl", 3, "abcdef"), "abc");
    EXPECT_EQ(Read("ListUrl", 3, "ab" + kZhong), "ab");
}

struct ValueCase {
    std::string line;
    std::string expected;
};

TEST_F(ReadIniTest, BlanksAndMatchingQuotesAroundTheValueAreDropped) {
    const std::vector<ValueCase> cases = {
        {"Key=  abc \t", "abc"},
        {"  Key\t=\tabc", "abc"},
        {"Key=a b  c", "a b  c"},
        {"Key=\"abc\"", "abc"},
        {"Key='abc'", "abc"},
        {"Key= \" abc \" ", " abc "},
        {"Key=\"abc'", "\"abc'"},
        {"Key=\"", "\""},
        {"Key=\"\"", ""},
        {"Key=a=b", "a=b"},
        {"Key=abc ; not a comment", "abc ; not a comment"},
        {"Key=", ""},
    };
    for (const ValueCase& c : cases) {
        Store("[Config]\r\n" + c.line + "\r\n");
        EXPECT_EQ(Read("Key"), c.expected) << c.line;
    }
}

TEST_F(ReadIniTest, NamesMatchRegardlessOfCase) {
    Store("[config]\r\nlisturl=http://a\r\n[CONFIG]\r\n");
    EXPECT_EQ(Read("ListUrl"), "http://a");
    EXPECT_EQ(ReadIni("CoNfIg", "LISTURL", "", 255, file_), "http://a");
}

TEST_F(ReadIniTest, CaseFoldingLeavesSecondBytesOfChineseNamesAlone) {
    // 丄 is 81 41 and 乤 is 81 61 in GBK: the second bytes differ only as "A"
    // and "a" would, yet they are different characters.
    Store("[Config]\r\nX\x81\x41=first\r\n");
    EXPECT_EQ(Read("X\xE4\xB8\x84"), "first");
    EXPECT_EQ(Read("X\xE4\xB9\xA4"), "<none>");
}

TEST_F(ReadIniTest, KeysOfOtherSectionsAndCommentsAreNotFound) {
    Store(";Key=commented\r\n[Config]\r\n;Key=commented\r\n[Other]\r\nKey=other\r\n");
    EXPECT_EQ(Read("Key"), "<none>");
}

TEST_F(ReadIniTest, ZeroOrNegativeLengthGivesEmptyText) {
    Store("[Config]\r\nListUrl=" + std::string(300, 'u') + "\r\n");
    EXPECT_EQ(Read("ListUrl", 0), "");
    EXPECT_EQ(Read("ListUrl", -5), "");
}

TEST_F(ReadIniTest, ChineseCharacterSplitByTheLimitIsLeftOut) {
    Store("[Config]\r\nOdd=" + std::string(99, 'a') + kZhongGbk + "bbbbbbbbbbbbbbbbbbbb\r\n" +
          "Even=" + std::string(98, 'a') + kZhongGbk + "bbbbbbbbbbbbbbbbbbbb\r\n");
    EXPECT_EQ(Read("Odd", 100), std::string(99, 'a'));
    EXPECT_EQ(Read("Even", 100), std::string(98, 'a') + kZhong);
}

TEST_F(ReadIniTest, FileWithUtf8ByteOrderMarkIsReadAsUtf8) {
    Store("\xEF\xBB\xBF[Config]\r\nSavePath=" + kZhongWen + "\r\n");
    EXPECT_EQ(Read("SavePath"), kZhongWen);
    EXPECT_EQ(Read("SavePath", 3), kZhong);  // 中文 takes 4 GBK bytes
}

// What Linux editors write: UTF-8 without a mark. A file that is entirely
// valid UTF-8 and holds a byte above ASCII is UTF-8; one with a byte UTF-8
// does not allow anywhere is GBK.
TEST_F(ReadIniTest, FileThatIsEntirelyUtf8IsReadAsUtf8) {
    const std::string yinyue = "\xE9\x9F\xB3\xE4\xB9\x90";  // 音乐
    Store("[Config]\nSavePath=/home/" + yinyue + "\nLoginName=" + kZhongWen + "\n");
    EXPECT_EQ(Read("SavePath"), "/home/" + yinyue);
    EXPECT_EQ(Read("LoginName", 3), kZhong);  // limits still count GBK bytes
    Store("[Config]\r\nSavePath=/home/" + kZhongGbk + "\r\nLoginName=" + kZhongWen + "\r\n");
    EXPECT_EQ(Read("SavePath"), "/home/" + kZhong);  // a GBK byte pair: the whole file is GBK
    // Overlong forms and encoded surrogates are not UTF-8: read as GBK.
    Store("[Config]\r\nA=\xC0\xAF\r\n");
    EXPECT_NE(Read("A"), "/");
    Store("[Config]\r\nA=\xED\xA0\x80\r\n");
    EXPECT_NE(Read("A"), "\xED\xA0\x80");
}

TEST_F(ReadIniTest, HostileFilesGiveDefaultsOrTheirValues) {
    std::string garbage;
    for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 7919 + 13) % 256);
    const std::vector<ValueCase> cases = {
        {"", "<none>"},
        {garbage, "<none>"},
        {"[Config]\r\n" + garbage + "\r\nKey=after\r\n", "after"},
        {"[Config]\r\nKey\r\n", "<none>"},
        {"[Config]\r\n=value\r\nKey=ok\r\n", "ok"},
        {"[Config\r\nKey=unclosed header\r\n", "unclosed header"},
        {std::string("[Config]\r\nKey=a\0b\r\n", 19), "a"},
        {"[Config]\r\nKey=" + std::string(1 << 19, 'x') + "\r\n", std::string(255, 'x')},
        {"[Config]\r\nJunk" + std::string(1 << 19, 'x') + "\r\nKey=after\r\n", "after"},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        Store(cases[i].line);
        EXPECT_EQ(Read("Key"), cases[i].expected) << "case " << i;
    }
}

}  // namespace
}  // namespace tunewell::settings
