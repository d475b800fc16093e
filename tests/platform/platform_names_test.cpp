#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "platform/executable_check.h"
#include "platform/os_platform.h"
#include "platform/temp_folder.h"

namespace tunewell::platform {
namespace {

TEST(OsPlatform, DiskDevicesFollowTheFamily) {
    const struct {
        const char* code;
        unsigned drive;
        const char* device;
    } table[] = {{"WNT", 0, "\\\\.\\PhysicalDrive0"},
                 {"WNT", 3, "\\\\.\\PhysicalDrive3"},
                 {"W95", 1, "\\\\.\\Smartvsd"},
                 {"W98", 0, "\\\\.\\Smartvsd"},
                 {"32S", 0, ""},
                 {"Unk", 0, ""}};
    for (const auto& row : table) EXPECT_EQ(WindowsDiskDevice(row.code, row.drive), row.device) << row.code;
    // Both builds run where the identify request is the NT one.
    EXPECT_EQ(OsPlatformCode(), "WNT");
}

TEST(ExecutableCheck, OnlyThisPlatformsProgramsPass) {
#ifdef _WIN32
    EXPECT_TRUE(LooksStartable(std::string_view("MZ\x90\x00", 4)));
    EXPECT_FALSE(LooksStartable("\x7f" "ELF"));
    EXPECT_FALSE(LooksStartable("#!/bin/sh"));
#else
    EXPECT_TRUE(LooksStartable("\x7f" "ELF"));
    EXPECT_TRUE(LooksStartable("#!/bin/sh"));
    EXPECT_FALSE(LooksStartable(std::string_view("MZ\x90\x00", 4)));
#endif
    EXPECT_FALSE(LooksStartable(""));
    EXPECT_FALSE(LooksStartable("<htm"));
}

TEST(TempFolder, PrivateFoldersAreNewEachTime) {
    const std::string base = TempFolder();
    ASSERT_FALSE(base.empty());
    const char last = base.back();
    EXPECT_TRUE(last == '/' || last == '\\');
    const std::string a = MakePrivateFolder("tw-names-");
    const std::string b = MakePrivateFolder("tw-names-");
    ASSERT_FALSE(a.empty());
    EXPECT_NE(a, b);
    EXPECT_EQ(a.rfind(base + "tw-names-", 0), 0u);
    RemovePrivateFolder(a);
    RemovePrivateFolder(b);
}

}  // namespace
}  // namespace tunewell::platform
