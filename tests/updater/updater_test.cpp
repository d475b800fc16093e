#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QPushButton>
#include <QRadioButton>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/wait.h>
#include <unistd.h>

#include "support/demo_site_fixture.h"
#include "updater/del_tunewell.h"
#include "updater/up_main.h"
#include "support/site_urls.h"
#include "widgets/qt_translations.h"

namespace tunewell::updater {
namespace {

namespace stdfs = std::filesystem;

std::string ReadAll(const stdfs::path& path) {
    std::stringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

TEST(DelTunewell, EndsOnlyTheFirstCaseInsensitiveMatch) {
    const stdfs::path root = stdfs::temp_directory_path() / ("tw-del-" + std::to_string(::getpid()));
    stdfs::remove_all(root);
    const std::pair<int, const char*> processes[] = {
        {50, "/opt/x/TUNEWELL"}, {7, "/usr/bin/bash"}, {90, "/opt/x/Tunewell"}, {20, "/opt/x/tunewell-old"}};
    for (const auto& [id, exe] : processes) {
        stdfs::create_directories(root / std::to_string(id));
        stdfs::create_symlink(exe, root / std::to_string(id) / "exe");
    }
    std::vector<int> ended;
    const EndedProcess first = DelTunewell(kMainProgramName, root.string(), [&](int id) { ended.push_back(id); });
    EXPECT_EQ(first.id, 50);
    EXPECT_EQ(first.name, "TUNEWELL");
    EXPECT_EQ(ended, std::vector<int>{50});
    EXPECT_EQ(DelTunewell("nothing", root.string(), [&](int id) { ended.push_back(id); }).id, 0);
    stdfs::remove_all(root);
}

// A real process started by the test under a unique executable name is
// ended; nothing else is touched.
TEST(DelTunewell, EndsARealStandInProcess) {
    const stdfs::path folder = stdfs::temp_directory_path() / ("tw-standin-" + std::to_string(::getpid()));
    stdfs::create_directories(folder);
    const std::string name = "tw-standin-sleep-" + std::to_string(::getpid());
    stdfs::copy_file("/bin/sleep", folder / name, stdfs::copy_options::overwrite_existing);
    const pid_t child = ::fork();
    if (child == 0) {
        ::execl((folder / name).c_str(), name.c_str(), "30", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ASSERT_GT(child, 0);
    EndedProcess ended;
    for (int attempt = 0; attempt < 50 && ended.id == 0; ++attempt) {
        ::usleep(20000);  // until the child has exec'd under the new name
        ended = DelTunewell(name);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(ended.id, child);
    EXPECT_TRUE(WIFSIGNALED(status));
    stdfs::remove_all(folder);
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
    }
    void TearDown() override {
        stdfs::remove(target_);
        DemoSiteTest::TearDown();
    }
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

    window_.cmdStart_Click();
    EXPECT_EQ(ReadAll(target_), demo::DefaultProgramBytes(2));
    EXPECT_EQ(window_.ProgressLabel()->text().toStdString(), "升级完毕");
    EXPECT_EQ(window_.StartButton()->text().toStdString(), "升级完毕");
    EXPECT_EQ(messages_, std::vector<std::string>{"升级完毕!"});
    EXPECT_EQ(started_, std::vector<std::string>{target_});
    EXPECT_EQ(ended_, 1);
}

TEST_F(UpdaterWindow, FailedDownloadKeepsTheOldProgramAndStartsIt) {
    std::ofstream(target_) << "old program";
    Options().programStatus = 500;
    window_.cmdStart_Click();
    EXPECT_EQ(ReadAll(target_), "old program");
    EXPECT_EQ(window_.ProgressLabel()->text().toStdString(), "升级失败");
    EXPECT_EQ(messages_, std::vector<std::string>{"升级完毕!"});
    EXPECT_EQ(started_, std::vector<std::string>{target_});
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

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
