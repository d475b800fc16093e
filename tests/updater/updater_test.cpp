// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/demo_site_fixture.h"
#include "support/temp_folder.h"
#include "support/update_signing.h"
#include "platform/folder_facts.h"
#include "hosts/site_hosts.h"
#include "updater/del_tunewell.h"
#include "updater/up_main.h"
#include "support/process_tables.h"
#include "support/site_urls.h"
#include "widgets/qt_translations.h"
#include "demo_site/demo_catalogue.h"

namespace tunewell::updater {
namespace {

namespace stdfs = std::filesystem;

std::string ReadAll(const stdfs::path& path) { return testing::ReadBytes(path.string()); }

TEST(DelTunewell, EndsOnlyThisUsersProcessesOfTheProgramFile) {
    testing::FakeProcessTable table;
    table.processes = {{7, "/usr/bin/bash", true},           {50, "/opt/x/Tunewell", true},
                       {60, "/opt/x/Tunewell (deleted)", true}, {70, "/opt/x/Tunewell", false},
                       {80, "/opt/y/Tunewell", true},           {90, "/opt/x/tunewell", true}};
    const EndedProcess first = DelTunewell(table, "/opt/x/Tunewell");
    EXPECT_EQ(first.id, 50);
    EXPECT_EQ(first.name, "Tunewell");
    EXPECT_EQ(table.ended, (std::vector<std::int32_t>{50, 60}));
    table.ended.clear();
    EXPECT_EQ(DelTunewell(table, "/opt/z/Tunewell").id, 0);
    EXPECT_TRUE(table.ended.empty());
}

// Two real processes started by the test from same-named program files in
// two folders: only the one started from the file being replaced is ended.
TEST(DelTunewell, SameNamedProgramElsewhereKeepsRunning) {
    testing::TempFolder temp;
    const stdfs::path base = temp.path();
    const stdfs::path here = base / "here" / "Tunewell", elsewhere = base / "elsewhere" / "Tunewell";
    for (const auto& program : {here, elsewhere}) {
        stdfs::create_directories(program.parent_path());
        stdfs::copy_file("/bin/sleep", program);
    }
    const pid_t old = testing::StartProcess(here.string(), "30");
    const pid_t other = testing::StartProcess(elsewhere.string(), "30");
    ASSERT_TRUE(testing::WaitUntilRunning(old, here.string()));
    ASSERT_TRUE(testing::WaitUntilRunning(other, elsewhere.string()));
    testing::StartedProcessTable table({old, other});
    EXPECT_EQ(DelTunewell(table, here.string()).id, old);
    int status = 0;
    ::waitpid(old, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(::waitpid(other, &status, WNOHANG), 0);  // still running
    testing::EndStarted(other);
}

class UpdaterWindow : public testing::DemoSiteTest {
protected:
    void SetUp() override {
        DemoSiteTest::SetUp();
        target_ = upMain::TargetPath().toStdString();
        stdfs::remove(target_);
        window_.showMessage = [this](const QString& text) { messages_.push_back(text.toStdString()); };
        window_.startProgram = [this](const QString& path) { started_.push_back(path.toStdString()); };
        window_.endUpdater = [this] { ++ended_; };
        window_.SetProcessTable(table_);
        window_.SetUpdateKey(testing::TestUpdateKey().publicHex);
        window_.SetSelfUpdate(true);
        table_.processes = {{4242, target_, true}};
    }
    void TearDown() override {
        stdfs::remove(target_);
        DemoSiteTest::TearDown();
    }
    testing::FakeProcessTable table_;
    upMain window_;
    std::string target_;
    std::vector<std::string> messages_, started_;
    int ended_ = 0;
};

TEST_F(UpdaterWindow, EditionChoosesTheDownloadAndTheProgramIsReplaced) {
    EXPECT_EQ(window_.ProgressLabel()->text().toStdString(), "更新进度0%");
    EXPECT_TRUE(window_.Chinese(0)->isChecked());
    EXPECT_EQ(window_.EditionAddress().toStdString(), testing::VersionUrl("/Upload/Tunewell.exe"));
    window_.Chinese(1)->setChecked(true);
    EXPECT_EQ(window_.EditionAddress().toStdString(), testing::VersionUrl("/Upload/Tunewell2.exe"));

    const mode_t mask = ::umask(022);
    window_.cmdStart_Click();
    ::umask(mask);
    EXPECT_EQ(table_.ended, std::vector<std::int32_t>{4242});
    EXPECT_EQ(window_.EndedMainProgram().id, 4242);
    EXPECT_EQ(window_.EndedMainProgram().name, stdfs::path(target_).filename().string());
    EXPECT_EQ(ReadAll(target_), demo::DefaultProgramBytes(2));
    EXPECT_EQ(stdfs::status(target_).permissions(), static_cast<stdfs::perms>(0755));  // a new program file
    EXPECT_EQ(window_.ProgressLabel()->text().toStdString(), "升级完毕");
    EXPECT_EQ(window_.StartButton()->text().toStdString(), "升级完毕");
    EXPECT_EQ(messages_, std::vector<std::string>{"升级完毕!"});
    EXPECT_EQ(started_, std::vector<std::string>{target_});
    EXPECT_EQ(ended_, 1);
}

TEST_F(UpdaterWindow, ExistingProgramKeepsItsMode) {
    std::ofstream(target_) << "#!/bin/sh\nold\n";
    stdfs::permissions(target_, static_cast<stdfs::perms>(0700));
    window_.cmdStart_Click();
    EXPECT_EQ(ReadAll(target_), demo::DefaultProgramBytes(1));
    EXPECT_EQ(stdfs::status(target_).permissions(), static_cast<stdfs::perms>(0700));
}

// Whatever the server sends that is not a whole program for this platform
// fails the update like a failed download: the old program stays byte for
// byte and is started again, and the message tells the failure and its
// cause.
TEST_F(UpdaterWindow, OnlyACompleteStartableProgramReplacesTheOldOne) {
    const stdfs::path empty = stdfs::path(target_).parent_path() / ("empty-" + std::to_string(::getpid()));
    std::ofstream{empty};
    struct Case {
        const char* what;
        int status;
        std::string bytes;
        std::string file;
        std::string message;
    };
    const Case cases[] = {
        {"server error", 500, "", "", "升级失败：服务器返回HTTP 500"},
        {"html error page", 200, "<HTML><BODY>404 页面不存在</BODY></HTML>", "", "升级失败：下载的文件不是可运行的程序"},
        {"plain text", 200, "echo not a program\n", "", "升级失败：下载的文件不是可运行的程序"},
        {"shell script", 200, "#!/bin/sh\nexit 0\n", "", "升级失败：下载的文件不是可运行的程序"},
        {"empty reply", 200, "", empty.string(), "升级失败：下载的文件是空的"},
    };
    for (const Case& c : cases) {
        std::ofstream(target_) << "old program";
        messages_.clear();
        started_.clear();
        Options().programStatus = c.status;
        Options().programBytes = Options().program2Bytes = c.bytes;
        Options().programFile = c.file;
        window_.cmdStart_Click();
        EXPECT_EQ(ReadAll(target_), "old program") << c.what;
        EXPECT_EQ(window_.ProgressLabel()->text().toStdString(), "升级失败") << c.what;
        EXPECT_EQ(window_.StartButton()->text().toStdString(), "升级失败") << c.what;
        EXPECT_EQ(messages_, std::vector<std::string>{c.message}) << c.what;
        EXPECT_EQ(started_, std::vector<std::string>{target_}) << c.what;
    }
    stdfs::remove(empty);
}

// Once the program is ended, every failure starts it again: a 1 GB
// download (stopped at the cap, the site hands out little of it, nothing
// left in the temporary folder), a program file that cannot be replaced,
// even a report that throws.
TEST_F(UpdaterWindow, EveryFailureAfterEndingTheProgramStartsItAgain) {
    testing::ScopedTmpDir tmp;
    std::ofstream(target_) << "old program";
    Options().programSize = 1ull << 30;
    for (const bool chunked : {false, true}) {
        Options().programChunked = chunked;
        const std::uint64_t before = Site().ProgramBytesSent();
        window_.cmdStart_Click();
        EXPECT_EQ(messages_.back(), "升级失败：下载的程序超过64MB的上限") << chunked;
        EXPECT_LT(Site().ProgramBytesSent() - before, 128ull << 20) << chunked;
        EXPECT_TRUE(tmp.Entries().empty()) << chunked;
    }
    EXPECT_EQ(ReadAll(target_), "old program");
    Options().programSize = 0;

    stdfs::remove(target_);
    stdfs::create_directory(target_);  // no rename can replace a folder
    window_.mayReplace = [](const std::string&) { return true; };
    window_.cmdStart_Click();
    EXPECT_EQ(messages_.back(), "升级失败：无法替换程序文件 " + target_);
    EXPECT_TRUE(tmp.Entries().empty());
    stdfs::remove(target_);

    window_.showMessage = [](const QString&) { throw std::bad_alloc(); };
    window_.cmdStart_Click();
    EXPECT_EQ(table_.ended, std::vector<std::int32_t>(4, 4242));
    EXPECT_EQ(started_, std::vector<std::string>(4, target_));
    EXPECT_EQ(ended_, 4);
}

// The signature decides as well: none, a wrong key's, or a genuine older
// program signed as 2.4 (UpDate accepts nothing older than itself).
TEST_F(UpdaterWindow, UnsignedWronglySignedAndOlderProgramsAreRefused) {
    const testing::KeyPair other = testing::NewKeyPair();
    const struct {
        const char* what;
        std::string key;
        std::string version;
    } cases[] = {
        {"unsigned", "", "2.5"},
        {"another key", other.privatePem, "2.5"},
        {"older version", testing::TestUpdateKey().privatePem, "2.4"},
    };
    for (const auto& c : cases) {
        std::ofstream(target_) << "old program";
        Options().signingKeyPem = c.key;
        Options().signedVersion = c.version;
        window_.cmdStart_Click();
        EXPECT_EQ(ReadAll(target_), "old program") << c.what;
        EXPECT_EQ(window_.ProgressLabel()->text().toStdString(), "升级失败") << c.what;
    }
    Options().signingKeyPem = testing::TestUpdateKey().privatePem;
    Options().signedVersion = "2.6";
    window_.cmdStart_Click();
    EXPECT_EQ(ReadAll(target_), demo::DefaultProgramBytes(1));
}

// A program it may not replace (a packaged build, or a file this user
// cannot write) is neither ended nor downloaded; the updater says why.
TEST_F(UpdaterWindow, RefusesToReplaceAProgramItMayNotWrite) {
    std::ofstream(target_) << "old program";
    std::vector<std::string> asked;
    window_.mayReplace = [&](const std::string& path) {
        asked.push_back(path);
        return false;
    };
    window_.cmdStart_Click();
    EXPECT_EQ(asked, std::vector<std::string>{target_});
    window_.SetSelfUpdate(false);
    window_.mayReplace = [](const std::string&) { return true; };
    window_.cmdStart_Click();
    ASSERT_EQ(messages_.size(), 2u);
    EXPECT_NE(messages_[0].find("无法写入程序文件 " + target_), std::string::npos) << messages_[0];
    EXPECT_NE(messages_[1].find("软件包管理器"), std::string::npos) << messages_[1];
    EXPECT_TRUE(table_.ended.empty());
    EXPECT_TRUE(started_.empty());
    EXPECT_EQ(ended_, 2);
    EXPECT_TRUE(Site().RequestsFor(hosts::kVersionServerHost).empty());
    EXPECT_EQ(ReadAll(target_), "old program");
    EXPECT_EQ(window_.ProgressLabel()->text().toStdString(), "升级失败");
}

// The real check: a folder this user cannot write, or a read-only program
// file in it. Run as nobody when the test runs as root, who writes anywhere.
TEST(MayReplaceFile, NeedsAWritableFolderAndFile) {
    testing::TempFolder temp;
    const std::string open = temp.File("open"), closed = temp.File("closed");
    stdfs::create_directories(open);
    stdfs::create_directories(closed);
    testing::WriteBytes(open + "/Tunewell", "program");
    testing::WriteBytes(open + "/ReadOnly", "program");
    ::chmod(open.c_str(), 0777);
    ::chmod((open + "/Tunewell").c_str(), 0666);
    ::chmod((open + "/ReadOnly").c_str(), 0444);
    ::chmod(closed.c_str(), 0555);
    ::chmod(temp.path().c_str(), 0755);
    const auto answers = [&] {
        return std::vector<bool>{platform::MayReplaceFile(open + "/Tunewell"), platform::MayReplaceFile(open + "/New"),
                                 platform::MayReplaceFile(open + "/ReadOnly"),
                                 platform::MayReplaceFile(closed + "/Tunewell")};
    };
    const std::vector<bool> expected{true, true, false, false};
    if (::geteuid() != 0) {
        EXPECT_EQ(answers(), expected);
        return;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
        ::_exit(answers() == expected ? 0 : 1);
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST_F(UpdaterWindow, ProgressWithoutAMaximumShowsZero) {
    window_.m_oFileDownload_OnProgress(450, 1000);
    EXPECT_EQ(window_.Bar()->value(), 45);
    EXPECT_EQ(window_.ProgressLabel()->text().toStdString(), "已下载45%");
    window_.m_oFileDownload_OnProgress(5, 0);
    EXPECT_EQ(window_.Bar()->value(), 0);
    EXPECT_EQ(window_.ProgressLabel()->text().toStdString(), "已下载0%");
}

// The final box: its text and an OK button that reads in Chinese, no icon.
TEST(UpdaterMessage, ShowsTheTextAndAChineseOkButtonWithoutAnIcon) {
    ASSERT_TRUE(widgets::InstallQtTranslations(QLocale::c()));
    upMain window;
    QMessageBox::Icon icon = QMessageBox::Warning;
    QString text, button;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        icon = box->icon();
        text = box->text();
        ASSERT_EQ(box->buttons().size(), 1);
        button = box->buttons().front()->text();
        box->accept();
    });
    window.showMessage(QStringLiteral("升级完毕!"));
    EXPECT_EQ(icon, QMessageBox::NoIcon);
    EXPECT_EQ(text, QStringLiteral("升级完毕!"));
    EXPECT_EQ(button.remove(QLatin1Char('&')), QStringLiteral("确定"));
}

}  // namespace
}  // namespace tunewell::updater
