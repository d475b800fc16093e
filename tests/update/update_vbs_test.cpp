// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows hand-over script's text (run on Linux and under wine; wine's
// own run of the script is tools/windows/update_wine.sh).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "update/update_script.h"

namespace tunewell::update {
namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    EXPECT_EQ(start, text.size()) << "the last line has no CR LF";
    return lines;
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

const char* const kFolder = "C:\\Program Files\\歌曲 \"工具\"";

TEST(UpdateVbs, EndsOnlyTheProgramStartedFromItsFolder) {
    const std::string text = BuildUpdateVbs("MyTool", "C:/Temp/tunewell-update-1/Tunewell.exe", kFolder);
    for (const std::string& line : Lines(text)) {
        EXPECT_EQ(line.find('\n'), std::string::npos);
        EXPECT_EQ(line.find('\r'), std::string::npos);
    }
    // Quotes in a name are doubled, so the literal stays one string.
    EXPECT_TRUE(Has(text, "FileNew=\"C:\\Program Files\\歌曲 \"\"工具\"\"\\MyTool.exe\"\r\n"));
    EXPECT_TRUE(Has(text, "File=\"C:\\Temp\\tunewell-update-1\\Tunewell.exe\"\r\n"));
    // A process is ended by its id once its executable is that file; no
    // process is ended by its name alone.
    EXPECT_TRUE(Has(text, "If LCase(Path & \"\") = LCase(FileNew) Then"));
    EXPECT_TRUE(Has(text, "TASKKILL /F /PID"));
    EXPECT_FALSE(Has(text, "/im"));
    EXPECT_FALSE(Has(text, "/IM"));
}

// The download, its private folder and the script itself go; the program
// starts only after the copy, from its own folder.
TEST(UpdateVbs, LeavesNeitherTheDownloadNorItself) {
    const std::string text = BuildUpdateVbs("Tunewell", "C:\\Temp\\tunewell-update-1\\Tunewell.exe", kFolder);
    const auto at = [&](const std::string& part) {
        const std::size_t position = text.find(part);
        EXPECT_NE(position, std::string::npos) << part;
        return position;
    };
    EXPECT_LT(at("Fso.CopyFile File, FileNew, True"), at("Fso.DeleteFile File, True"));
    EXPECT_LT(at("Fso.DeleteFile File, True"), at("Fso.DeleteFolder TempFolder"));
    EXPECT_LT(at("Fso.DeleteFolder TempFolder"), at("Shell.CurrentDirectory = Folder"));
    EXPECT_LT(at("Shell.CurrentDirectory = Folder"), at("& FileNew & \"\"\"\", 1, True"));
    EXPECT_LT(at("& FileNew & \"\"\"\", 1, True"), at("Fso.DeleteFile VbsName, True"));
    EXPECT_TRUE(Has(text, "VbsName=\"C:\\Program Files\\歌曲 \"\"工具\"\"\\UpDate.vbs\"\r\n"));
}

}  // namespace
}  // namespace tunewell::update
