// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "platform/executable_check.h"
#include "platform/os_platform.h"
#include "platform/program_folder.h"
#include "platform/temp_folder.h"
#include "support/temp_folder.h"

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
    // This test's own program passes; a bare "MZ", a DLL, another
    // processor's program or a header pointing outside the bytes does not.
    const std::string path = ProgramFolder() + "\\test_platform.exe";
    const std::string own = testing::ReadBytes(path).substr(0, kStartableHeadBytes);
    ASSERT_TRUE(LooksStartable(own));
    EXPECT_TRUE(IsStartableFile(path));
    const auto pe = static_cast<std::size_t>(static_cast<unsigned char>(own[0x3C]) |
                                             static_cast<unsigned char>(own[0x3D]) << 8);
    std::string dll = own, otherMachine = own, farHeader = own, object = own;
    dll[pe + 23] = static_cast<char>(dll[pe + 23] | 0x20);
    otherMachine[pe + 4] = 0x4C;  // i386
    otherMachine[pe + 5] = 0x01;
    farHeader[0x3D] = static_cast<char>(0x7F);
    object[pe + 22] = static_cast<char>(object[pe + 22] & ~0x02);
    for (const std::string& head : {dll, otherMachine, farHeader, object, own.substr(0, pe + 10),
                                    std::string("MZ\x90\x00", 4), std::string("\x7f" "ELF"),
                                    std::string("#!/bin/sh")}) {
        EXPECT_FALSE(LooksStartable(head)) << head.size();
    }
    EXPECT_FALSE(IsStartableFile(ProgramFolder() + "\\no such program.exe"));
#else
    // A program for this machine (this test's own file) passes; a bare
    // magic number or a script does not.
    const std::string own = testing::ReadBytes(ProgramFolder() + "/test_platform");
    EXPECT_TRUE(LooksStartable(std::string_view(own).substr(0, 64)));
    EXPECT_FALSE(LooksStartable("\x7f" "ELF"));
    EXPECT_FALSE(LooksStartable("#!/bin/sh"));
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
