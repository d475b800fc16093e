// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file as both builds store it: GBK bytes, in a folder with a
// Chinese name, read back as UTF-8.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/utf8_path.h"
#include "settings/ini_file.h"
#include "support/temp_folder.h"

namespace tunewell::settings {
namespace {

TEST(IniFile, ChineseValuesGoToDiskInGbkAndComeBack) {
    testing::TempFolder folder;
    std::filesystem::create_directory(platform::Utf8Path(folder.File("设置")));
    const std::string file = folder.File("设置/Config.ini");
    EXPECT_EQ(WriteIni("Config", "SavePath", "D:\\下载的歌曲", file), 1);
    EXPECT_EQ(WriteIni("Config", "GetPage", "3", file), 1);
    const std::string bytes = testing::ReadBytes(file);
    EXPECT_NE(bytes.find("SavePath=D:\\\xCF\xC2\xD4\xD8\xB5\xC4\xB8\xE8\xC7\xFA"), std::string::npos) << bytes;
    EXPECT_EQ(ReadIni("Config", "SavePath", "", 255, file), "D:\\下载的歌曲");
    EXPECT_EQ(ReadIni("Config", "GetPage", "1", 255, file), "3");
    EXPECT_EQ(ReadIni("Config", "Missing", "默认", 255, file), "默认");
}

TEST(IniFile, AReadOnlyFileIsNotRewritten) {
    testing::TempFolder folder;
    const std::string file = folder.File("Config.ini");
    ASSERT_EQ(WriteIni("Config", "A", "1", file), 1);
    std::filesystem::permissions(platform::Utf8Path(file), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    EXPECT_EQ(WriteIni("Config", "A", "2", file), 0);
    EXPECT_EQ(ReadIni("Config", "A", "", 255, file), "1");
    std::filesystem::permissions(platform::Utf8Path(file), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
}

}  // namespace
}  // namespace tunewell::settings
