// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "settings/ini_file.h"
#include "support/temp_folder.h"
#include "support/unprivileged_child.h"

namespace tunewell::settings {
namespace {

using testing::ModeOf;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

const std::string kZhongWen = "\xE4\xB8\xAD\xE6\x96\x87";  // 中文 in UTF-8

class WriteIniTest : public ::testing::Test {
protected:
    int Write(const std::string& key, const std::string& value, const std::string& section = "Config") {
        return WriteIni(section, key, value, file_);
    }
    std::string Read(const std::string& key) { return ReadIni("Config", key, "<none>", 255, file_); }
    std::string OnDisk() { return ReadBytes(file_); }

    // Names in the folder other than Config.ini (left-over temporary files).
    std::vector<std::string> Strays() {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder_.path())) {
            const std::string name = entry.path().filename();
            if (name != "Config.ini" && name != ".Config.ini.lock") names.push_back(name);
        }
        return names;
    }

    TempFolder folder_;
    std::string file_ = folder_.File("Config.ini");
};

TEST_F(WriteIniTest, NewFileHasTheSectionCrLfLinesAndOwnerOnlyAccess) {
    EXPECT_NE(Write("ListUrl", "http://a/b"), 0);
    EXPECT_NE(Write("SavePath", "/music"), 0);
    EXPECT_EQ(OnDisk(), "[Config]\r\nListUrl=http://a/b\r\nSavePath=/music\r\n");
    EXPECT_EQ(ModeOf(file_), 0600u);
    EXPECT_TRUE(Strays().empty());
}

TEST_F(WriteIniTest, ExistingFileWithWiderAccessBecomesOwnerOnly) {
    WriteBytes(file_, "[Config]\r\nLoginPass=old\r\n");
    ASSERT_EQ(::chmod(file_.c_str(), 0644), 0);
    EXPECT_NE(Write("LoginPass", "secret"), 0);
    EXPECT_EQ(ModeOf(file_), 0600u);
}

TEST_F(WriteIniTest, ChineseValueIsStoredAsGbk) {
    EXPECT_NE(Write("SavePath", "/" + kZhongWen), 0);
    EXPECT_EQ(OnDisk(), "[Config]\r\nSavePath=/\xD6\xD0\xCE\xC4\r\n");
    EXPECT_EQ(Read("SavePath"), "/" + kZhongWen);
}

TEST_F(WriteIniTest, RewriteInPlaceKeepsEverythingElseByteForByte) {
    const std::string before =
        "; settings\r\n[Config]\r\nListUrl=http://old\r\n  getpage = 3\r\nUnknown=keep me \r\n"
        "\r\n[Other]\r\nGetPage=9\r\n";
    WriteBytes(file_, before);
    EXPECT_NE(Write("GetPage", "5"), 0);
    EXPECT_NE(Write("ListUrl", "http://new"), 0);
    EXPECT_EQ(OnDisk(),
              "; settings\r\n[Config]\r\nListUrl=http://new\r\n  getpage =5\r\nUnknown=keep me \r\n"
              "\r\n[Other]\r\nGetPage=9\r\n");
}

TEST_F(WriteIniTest, NewKeyGoesAfterTheLastLineOfItsSection) {
    WriteBytes(file_, "[Config]\r\nListUrl=u\r\n\r\n\r\n[Other]\r\nA=1\r\n");
    EXPECT_NE(Write("AddID", "1"), 0);
    EXPECT_EQ(OnDisk(), "[Config]\r\nListUrl=u\r\nAddID=1\r\n\r\n\r\n[Other]\r\nA=1\r\n");
    EXPECT_EQ(Read("AddID"), "1");
}

TEST_F(WriteIniTest, MissingSectionIsAppendedAtTheEnd) {
    WriteBytes(file_, "[Other]\r\nA=1");  // last line without its ending
    EXPECT_NE(Write("GetPage", "2"), 0);
    EXPECT_EQ(OnDisk(), "[Other]\r\nA=1\r\n\r\n[Config]\r\nGetPage=2\r\n");
}

TEST_F(WriteIniTest, FileWithLfLinesKeepsThem) {
    WriteBytes(file_, "[Config]\nA=1\n");
    EXPECT_NE(Write("B", "2"), 0);
    EXPECT_NE(Write("C", "3", "New"), 0);
    EXPECT_EQ(OnDisk(), "[Config]\nA=1\nB=2\n\n[New]\nC=3\n");
}

TEST_F(WriteIniTest, FileWithUtf8ByteOrderMarkStaysUtf8) {
    WriteBytes(file_, "\xEF\xBB\xBF[Config]\r\nA=1\r\n");
    EXPECT_NE(Write("SavePath", kZhongWen), 0);
    EXPECT_EQ(OnDisk(), "\xEF\xBB\xBF[Config]\r\nA=1\r\nSavePath=" + kZhongWen + "\r\n");
    EXPECT_EQ(Read("SavePath"), kZhongWen);
}

// A UTF-8 file without a mark is written back as it was: UTF-8, no mark
// added, other lines untouched; a GBK one stays GBK.
TEST_F(WriteIniTest, FileKeepsTheEncodingItHad) {
    WriteBytes(file_, "[Config]\nLoginName=" + kZhongWen + "\nSavePath=/a\n");
    EXPECT_NE(Write("SavePath", "/home/" + kZhongWen), 0);
    EXPECT_EQ(OnDisk(), "[Config]\nLoginName=" + kZhongWen + "\nSavePath=/home/" + kZhongWen + "\n");
    EXPECT_EQ(Read("LoginName"), kZhongWen);
    WriteBytes(file_, "[Config]\r\nLoginName=\xD6\xD0\xCE\xC4\r\n");
    EXPECT_NE(Write("SavePath", kZhongWen), 0);
    EXPECT_EQ(OnDisk(), "[Config]\r\nLoginName=\xD6\xD0\xCE\xC4\r\nSavePath=\xD6\xD0\xCE\xC4\r\n");
}

TEST_F(WriteIniTest, EveryValueReadsBackUnchanged) {
    const std::vector<std::string> values = {
        "", "plain", " leading", "trailing ", "\tboth\t", "\"quoted\"", "'single'",
        "\"", "a=b", "[x]", "; semi", kZhongWen, "mixed " + kZhongWen + " text",
    };
    for (const std::string& value : values) {
        EXPECT_NE(Write("LoginPass", value), 0) << value;
        EXPECT_EQ(Read("LoginPass"), value) << value;
    }
}

TEST_F(WriteIniTest, LineBreaksInAValueCannotAddLines) {
    EXPECT_NE(Write("ListUrl", "http://a\r\n[Config]\r\nGetPage=99\nx"), 0);
    EXPECT_EQ(Read("GetPage"), "<none>");
    EXPECT_EQ(Read("ListUrl"), "http://a[Config]GetPage=99x");
}

TEST_F(WriteIniTest, NamesThatCannotBeStoredAreRefused) {
    WriteBytes(file_, "[Config]\r\nA=1\r\n");
    const std::vector<std::pair<std::string, std::string>> names = {
        {"Config", ""}, {"Config", "a=b"}, {"Config", "a\r\nb"}, {"Config", " A"},
        {"Config", ";A"}, {"", "A"}, {"Con]fig", "A"}, {"Con\nfig", "A"},
    };
    for (const auto& [section, key] : names) {
        EXPECT_EQ(WriteIni(section, key, "v", file_), 0) << section << "/" << key;
    }
    EXPECT_EQ(OnDisk(), "[Config]\r\nA=1\r\n");
}

// The writes below run in a child that the mode bits bind, root or not:
// it gets 0 from WriteIni, and what was on disk stays.
TEST_F(WriteIniTest, UnwritableFolderFailsAndLosesNothing) {
    const std::string before = "[Config]\r\nLoginPass=keep\r\n";
    WriteBytes(file_, before);
    const std::string folder = folder_.path();
    ASSERT_EQ(::chmod(folder.c_str(), 0500), 0);
    const int written = testing::RunUnprivileged({folder, file_}, [&] {
        if (::access(folder.c_str(), X_OK) != 0 || ::access(folder.c_str(), W_OK) == 0) {
            return testing::kNotTestableHere;
        }
        return Write("LoginPass", "new") == 0 ? 0 : 1;
    });
    ASSERT_EQ(::chmod(folder.c_str(), 0700), 0);
    if (written == testing::kNotTestableHere) GTEST_SKIP() << "folder permissions bind no user here";
    EXPECT_EQ(written, 0) << "the write reported success";
    EXPECT_EQ(OnDisk(), before);
    EXPECT_TRUE(Strays().empty());
}

TEST_F(WriteIniTest, UnreadableFileIsNotReplaced) {
    const std::string before = "[Config]\r\nLoginPass=keep\r\n";
    WriteBytes(file_, before);
    ASSERT_EQ(::chmod(file_.c_str(), 0200), 0);
    const int written = testing::RunUnprivileged({folder_.path(), file_}, [&] {
        if (::access(file_.c_str(), F_OK) != 0 || ::access(file_.c_str(), R_OK) == 0) {
            return testing::kNotTestableHere;
        }
        return Write("GetPage", "2") == 0 ? 0 : 1;
    });
    ASSERT_EQ(::chmod(file_.c_str(), 0600), 0);
    if (written == testing::kNotTestableHere) GTEST_SKIP() << "file permissions bind no user here";
    EXPECT_EQ(written, 0) << "the write reported success";
    EXPECT_EQ(OnDisk(), before);
    EXPECT_TRUE(Strays().empty());
}

TEST_F(WriteIniTest, MissingFolderFails) {
    EXPECT_EQ(WriteIni("Config", "A", "1", folder_.File("absent/Config.ini")), 0);
    WriteBytes(folder_.File("plain"), "x");
    EXPECT_EQ(WriteIni("Config", "A", "1", folder_.File("plain/Config.ini")), 0);
}

TEST_F(WriteIniTest, GarbageFileKeepsItsBytesAndGainsTheSection) {
    std::string garbage;
    for (int i = 0; i < 2048; ++i) garbage += static_cast<char>((i * 7919 + 13) % 256);
    WriteBytes(file_, garbage);
    EXPECT_NE(Write("A", "1"), 0);
    const std::string after = OnDisk();
    EXPECT_EQ(after.substr(0, garbage.size()), garbage);
    EXPECT_EQ(Read("A"), "1");
}

// Two processes writing distinct keys at the same time: none is lost.
TEST_F(WriteIniTest, ConcurrentWritersKeepEveryKey) {
    constexpr int kKeysEach = 60;
    std::vector<pid_t> children;
    for (const char* prefix : {"A", "B"}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            int failures = 0;
            for (int i = 0; i < kKeysEach; ++i) failures += Write(prefix + std::to_string(i), "v") == 0;
            ::_exit(failures == 0 ? 0 : 1);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (const char* prefix : {"A", "B"}) {
        for (int i = 0; i < kKeysEach; ++i) EXPECT_EQ(Read(prefix + std::to_string(i)), "v") << prefix << i;
    }
    EXPECT_TRUE(Strays().empty());
}

// What Config.ini may turn out to be besides an ordinary file: each reads
// as missing or as its contents without blocking, and a write either goes
// to the right file or fails without changing anything.
TEST_F(WriteIniTest, SpecialFilesAreReadSafelyAndNeverReplaced) {
    const std::string before = "[Config]\r\nA=1\r\n";
    const std::string real = folder_.File("elsewhere/real.ini");
    std::filesystem::create_directories(folder_.File("elsewhere"));

    // A symbolic link stays a link; the file it leads to gets the key.
    WriteBytes(real, before);
    std::filesystem::create_symlink(real, file_);
    EXPECT_NE(Write("B", "2"), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(file_));
    EXPECT_EQ(ReadBytes(real), before + "B=2\r\n");
    std::filesystem::remove(file_);

    // A link that leads nowhere, a link to a device and a pipe: missing
    // when read, refused when written.
    std::filesystem::create_symlink(folder_.File("absent.ini"), file_);
    EXPECT_EQ(Read("A"), "<none>");
    EXPECT_EQ(Write("A", "2"), 0);
    std::filesystem::remove(file_);
    std::filesystem::create_symlink("/dev/null", file_);
    EXPECT_EQ(Read("A"), "<none>");
    EXPECT_EQ(Write("A", "2"), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(file_));
    std::filesystem::remove(file_);
    ASSERT_EQ(::mkfifo(file_.c_str(), 0600), 0);
    EXPECT_EQ(Read("A"), "<none>");  // would block forever if it were opened plainly
    EXPECT_EQ(Write("A", "2"), 0);
    EXPECT_TRUE(std::filesystem::is_fifo(file_));
    std::filesystem::remove(file_);

    // A file its owner made read-only keeps its bytes and its mode.
    WriteBytes(file_, before);
    ASSERT_EQ(::chmod(file_.c_str(), 0444), 0);
    EXPECT_EQ(Write("A", "2"), 0);
    EXPECT_EQ(OnDisk(), before);
    EXPECT_EQ(ModeOf(file_), 0444u);
    ::chmod(file_.c_str(), 0600);

    // Beyond 1 MiB: read as missing and never overwritten.
    const std::string huge = before + std::string(1024 * 1024, '#');
    WriteBytes(file_, huge);
    EXPECT_EQ(Read("A"), "<none>");
    EXPECT_EQ(Write("A", "2"), 0);
    EXPECT_EQ(std::filesystem::file_size(file_), huge.size());
    std::filesystem::remove_all(folder_.File("elsewhere"));
    EXPECT_TRUE(Strays().empty());
}

// Config.ini as a link the user made to a file of theirs: the file gets the
// key by a rename in its own folder (the link stays a link), keeps the mode
// its owner chose, and nothing else appears beside it; the lock stays
// beside the link.
TEST_F(WriteIniTest, ALinkedFileKeepsItsModeAndItsFolderGainsNoLock) {
    const std::string elsewhere = folder_.File("elsewhere");
    const std::string real = elsewhere + "/real.ini";
    std::filesystem::create_directories(elsewhere);
    WriteBytes(real, "[Config]\r\nA=1\r\n");
    ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
    std::filesystem::create_symlink(real, file_);
    struct stat before {};
    ASSERT_EQ(::stat(real.c_str(), &before), 0);

    EXPECT_NE(Write("B", "2"), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(file_));
    EXPECT_EQ(ReadBytes(real), "[Config]\r\nA=1\r\nB=2\r\n");
    EXPECT_EQ(ModeOf(real), 0640u);
    struct stat after {};
    ASSERT_EQ(::stat(real.c_str(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino);  // replaced whole, not rewritten in place
    std::vector<std::string> inElsewhere;
    for (const auto& entry : std::filesystem::directory_iterator(elsewhere))
        inElsewhere.push_back(entry.path().filename());
    EXPECT_EQ(inElsewhere, std::vector<std::string>{"real.ini"});
    EXPECT_TRUE(std::filesystem::exists(folder_.File(".Config.ini.lock")));
    EXPECT_EQ(Strays(), std::vector<std::string>{"elsewhere"});
}

// A writer killed while writing (here by its file-size limit) leaves its
// copy behind: the password in it is the owner's alone, whether the file
// is Config.ini itself or one a link leads to, and whatever the umask.
TEST_F(WriteIniTest, AWriterKilledWhileWritingLeavesOnlyAnOwnerOnlyCopy) {
    const std::string elsewhere = folder_.File("elsewhere");
    std::filesystem::create_directories(elsewhere);
    WriteBytes(elsewhere + "/real.ini", "[Config]\r\n");
    ASSERT_EQ(::chmod((elsewhere + "/real.ini").c_str(), 0644), 0);
    const std::string linked = folder_.File("Linked.ini");
    std::filesystem::create_symlink(elsewhere + "/real.ini", linked);

    for (const std::string& file : {file_, linked}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::umask(0);
            const rlimit noCore{0, 0};
            ::setrlimit(RLIMIT_CORE, &noCore);
            const rlimit small{16, 16};
            ::setrlimit(RLIMIT_FSIZE, &small);
            WriteIni("Config", "LoginPass", std::string(64, 'p'), file);
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << file;
    }
    const std::vector<std::string> ours = {"Config.ini", ".Config.ini.lock", "Linked.ini",
                                           ".Linked.ini.lock", "elsewhere", "real.ini"};
    int leftovers = 0;
    for (const std::string& folder : {folder_.path(), elsewhere}) {
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            if (std::find(ours.begin(), ours.end(), entry.path().filename()) != ours.end()) continue;
            ++leftovers;
            EXPECT_EQ(ModeOf(entry.path()), 0600u) << entry.path();
        }
    }
    EXPECT_EQ(leftovers, 2);
    EXPECT_EQ(ModeOf(elsewhere + "/real.ini"), 0644u);
}

// Values GBK cannot hold: stored exactly, the file as a whole turning to
// UTF-8 with a byte-order mark, every earlier value carried over.
TEST_F(WriteIniTest, ValueOutsideGbkTurnsTheFileIntoUtf8AndReadsBackExactly) {
    const std::string bjork = "/music/Bj\xC3\xB6rk";          // ö
    const std::string note = "/music/\xF0\x9F\x8E\xB5 " + kZhongWen;  // 🎵 中文
    EXPECT_NE(Write("ListUrl", "http://a/" + kZhongWen), 0);
    EXPECT_EQ(OnDisk().substr(0, 3), "[Co");  // still GBK
    EXPECT_NE(Write("SavePath", bjork), 0);
    EXPECT_EQ(OnDisk(), "\xEF\xBB\xBF[Config]\r\nListUrl=http://a/" + kZhongWen + "\r\nSavePath=" + bjork + "\r\n");
    EXPECT_EQ(Read("SavePath"), bjork);
    EXPECT_EQ(Read("ListUrl"), "http://a/" + kZhongWen);
    EXPECT_NE(Write("LoginPass", note), 0);
    EXPECT_EQ(Read("LoginPass"), note);
    EXPECT_EQ(Read("SavePath"), bjork);
    // The limit counts GBK bytes and never puts a "?" in a character's place.
    EXPECT_EQ(ReadIni("Config", "SavePath", "", 10, file_), "/music/Bj");
    EXPECT_EQ(ReadIni("Config", "LoginPass", "", 9, file_), "/music/\xF0\x9F\x8E\xB5");
    EXPECT_TRUE(Strays().empty());
}

TEST_F(WriteIniTest, WhatCannotBeStoredExactlyFailsAndChangesNothing) {
    // A byte that is not GBK could not be carried over into UTF-8 unchanged.
    const std::string before = "[Config]\r\nA=\x81\x7F\r\n";
    WriteBytes(file_, before);
    EXPECT_EQ(Write("B", "Bj\xC3\xB6rk"), 0);
    EXPECT_EQ(OnDisk(), before);
    // Bytes that are not UTF-8 are not turned into something else.
    EXPECT_EQ(Write("B", "bad \xFF byte"), 0);
    EXPECT_EQ(OnDisk(), before);
    // A write that would take the file past 1 MiB: the next start would
    // read nothing at all.
    EXPECT_EQ(Write("C", std::string(1024 * 1024, 'x')), 0);
    EXPECT_EQ(OnDisk(), before);
}

TEST_F(WriteIniTest, TemporaryCopiesAKilledWriterLeftAreRemovedByTheNextWrite) {
    const std::vector<std::string> leftovers = {".Config.ini.a1B2c3", ".Config.ini.zzzzzz"};
    const std::vector<std::string> others = {".Config.ini.bak", ".Config.ini.a1B2c3d",
                                             ".Config.ini.a1-2c3", "Config.ini.a1B2c3",
                                             ".Other.ini.a1B2c3", ".tw-a1B2c3.part"};
    for (const auto& name : leftovers) WriteBytes(folder_.File(name), "[Config]\r\nLoginPass=pw\r\n");
    for (const auto& name : others) WriteBytes(folder_.File(name), "user's");
    std::filesystem::create_directory(folder_.File(".Config.ini.folder"));
    EXPECT_NE(Write("A", "1"), 0);
    std::vector<std::string> expected = others;
    expected.push_back(".Config.ini.folder");
    std::vector<std::string> strays = Strays();
    std::sort(strays.begin(), strays.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(strays, expected);
}

}  // namespace
}  // namespace tunewell::settings
