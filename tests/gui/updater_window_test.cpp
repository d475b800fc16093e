// SPDX-License-Identifier: GPL-3.0-or-later
#include <QLabel>
#include <QPainter>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <QTest>

#include <gtest/gtest.h>

#include "trust/self_update.h"

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "chrome/caption_button.h"
#include "chrome/skin.h"
#include "chrome/skin_paint.h"
#include "widgets/progress_bar_widget.h"
#include "support/demo_site_fixture.h"
#include "update/program_updater.h"
#include "update/ui/frm_up_date.h"
#include "web/get_body.h"
#include "web/http_client.h"
#include "support/site_urls.h"

namespace tunewell::update {
namespace {

// The updater window against the demo version server. The program download
// always fails here (status 500): a successful one would start the swap
// script, which ends the running program.
class UpdaterWindowTest : public testing::DemoSiteTest {
protected:
    void SetUp() override {
        DemoSiteTest::SetUp();
        Options().programStatus = 500;
        Options().programBytes = "not a program";
        ASSERT_TRUE(dir.isValid());
        window = std::make_unique<frmUpDate>(globals, dir.path().toStdString());
        window->endProgram = [this] { ++ends; };
        window->openUrl = [this](const std::string& address) { opened.push_back(address); };
    }
    void TearDown() override {
        window.reset();
        DemoSiteTest::TearDown();
    }

    // Runs the update; refuses to when the program download could succeed.
    void LoadExpectingFailure() {
        ASSERT_EQ(web::GetHttpPage(ProgramUpdater::DownloadAddress(), "gb2312"), web::kFalse);
        window->Form_Load();
    }

    QTemporaryDir dir;
    UpdateGlobals globals;
    std::unique_ptr<frmUpDate> window;
    int ends = 0;
    std::vector<std::string> opened;
};

TEST_F(UpdaterWindowTest, FramedCloseOnlyWindowStaysTopmostAndLaysOutInsideTheFrame) {
    ASSERT_NE(window->skin1, nullptr);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("自动升级程序"));
    EXPECT_EQ(window->LabTip()->text(), QStringLiteral("自动升级中,升级完毕后请运行新的版本"));
    LoadExpectingFailure();
    EXPECT_TRUE(window->isVisible());
    // The topmost placement keeps the skinned frame and full opacity.
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_DOUBLE_EQ(window->windowOpacity(), 1.0);
    EXPECT_EQ(window->skin1->geometry(), window->rect());
    EXPECT_TRUE(window->skin1->CloseButton()->isVisible());
    EXPECT_FALSE(window->skin1->MinButton()->isVisible());
    EXPECT_FALSE(window->skin1->MaxButton()->isVisible());
    // Label and bar lie between the title bar (27 pixels) and the bottom
    // strip and border (26 pixels), inside the side borders.
    const QRect client(4, 27, window->width() - 8, window->height() - 27 - 26);
    EXPECT_TRUE(client.contains(window->LabTip()->geometry()));
    EXPECT_TRUE(client.contains(window->PB()->geometry()));
    EXPECT_FALSE(window->LabTip()->geometry().intersects(window->PB()->geometry()));
}

TEST_F(UpdaterWindowTest, FailedDownloadOffersTheManualLinkOnTheLabel) {
    // A build that never replaces itself offers the manual address at
    // once and downloads nothing (the program updater's own tests).
    if (!trust::kSelfUpdate) GTEST_SKIP() << "built without self-update";
    QTest::mouseClick(window->LabTip(), Qt::LeftButton);
    EXPECT_TRUE(opened.empty());  // no address before a failure

    LoadExpectingFailure();
    EXPECT_EQ(window->PB()->Text(), QStringLiteral("升级失败"));
    EXPECT_EQ(window->LabTip()->text(), QStringLiteral("升级失败,请点击这里手动下载升级！"));
    EXPECT_EQ(window->LabTip()->toolTip(), QStringLiteral("服务器返回HTTP 500"));  // the cause, on a closer look
    EXPECT_EQ(window->LabTip()->palette().color(QPalette::WindowText), QColor(0xFF, 0, 0));
    EXPECT_EQ(window->LabTip()->cursor().shape(), Qt::CrossCursor);
    EXPECT_EQ(globals.UpdateLink, testing::VersionUrl("/upload/tunewell.exe"));
    EXPECT_EQ(ends, 0);  // the window stays open
    EXPECT_TRUE(window->isVisible());

    QTest::mouseClick(window->LabTip(), Qt::LeftButton);
    EXPECT_EQ(opened, std::vector<std::string>{testing::VersionUrl("/upload/tunewell.exe")});
}

TEST_F(UpdaterWindowTest, ProgressReportsDriveTheBarOnlyWithBothCounts) {
    // A build that never replaces itself offers the manual address at
    // once and downloads nothing (the program updater's own tests).
    if (!trust::kSelfUpdate) GTEST_SKIP() << "built without self-update";
    LoadExpectingFailure();
    ASSERT_TRUE(window->Transfer().OnProgress);
    window->Transfer().OnProgress(0, 100, 80, 0, "");
    window->Transfer().OnProgress(10, 0, 80, 0, "");
    EXPECT_EQ(window->PB()->Value(), 0);
    EXPECT_EQ(window->PB()->Text(), QStringLiteral("升级失败"));
    window->Transfer().OnProgress(459, 1000, 120, 0, "");
    EXPECT_EQ(window->PB()->Value(), 45);
    EXPECT_EQ(window->PB()->Text(), QStringLiteral("已下载45% 120KB/S"));
}

TEST_F(UpdaterWindowTest, BarWearsTheFrameLookWithItsTextCentred) {
    widgets::ProgressBar& bar = *window->PB();
    window->SetValue(45);
    window->SetText("已下载45% 120KB/S");
    QPixmap expected(bar.size());
    expected.fill(Qt::white);
    QPainter painter(&expected);
    painter.setFont(bar.font());
    chrome::PaintProgressBar(painter, bar.rect(), 45, QStringLiteral("已下载45% 120KB/S"));
    painter.end();
    EXPECT_EQ(bar.grab().toImage().convertToFormat(QImage::Format_RGB32),
              expected.toImage().convertToFormat(QImage::Format_RGB32));
}

TEST_F(UpdaterWindowTest, ClosingTheWindowEndsTheProgramOnlyWhileTheMainWindowIsHidden) {
    for (const bool mainWindowUsable : {false, true}) {
        window = std::make_unique<frmUpDate>(globals, dir.path().toStdString());
        window->endProgram = [this] { ++ends; };
        ends = 0;
        LoadExpectingFailure();
        ASSERT_EQ(ends, 0);
        window->SetMainWindowUsable(mainWindowUsable);
        // Through the frame's close button, as the user closes it.
        auto* close = window->skin1->CloseButton();
        QTest::mouseClick(close, Qt::LeftButton, {}, close->rect().center());
        EXPECT_EQ(ends, mainWindowUsable ? 0 : 1) << mainWindowUsable;
        EXPECT_FALSE(window->isVisible());
    }
}

// Closed while the new program is still arriving: the transfer is aborted
// and the private download folder is gone before the program ends.
TEST_F(UpdaterWindowTest, ClosingDuringTheDownloadRemovesItsFolderBeforeTheProgramEnds) {
    // A build that never replaces itself offers the manual address at
    // once and downloads nothing (the program updater's own tests).
    if (!trust::kSelfUpdate) GTEST_SKIP() << "built without self-update";
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const char* oldTemp = std::getenv("TMPDIR");
    const std::optional<std::string> saved = oldTemp ? std::optional<std::string>(oldTemp) : std::nullopt;
    setenv("TMPDIR", temp.path().toUtf8().constData(), 1);
    // Not a program, so even a download that completes is never installed.
    Options().programStatus = 200;
    Options().programBytes = std::string(48u << 20, 'x');
    const auto folders = [&] { return QDir(temp.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(); };
    bool closedInDownload = false;
    qsizetype foldersAtEnd = -1;
    window->endProgram = [&] {
        ++ends;
        foldersAtEnd = folders();
    };
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (closedInDownload || folders() == 0) return;
        closedInDownload = true;
        window->close();
    });
    poll.start(0);
    window->Form_Load();
    poll.stop();
    if (saved) {
        setenv("TMPDIR", saved->c_str(), 1);
    } else {
        unsetenv("TMPDIR");
    }
    EXPECT_TRUE(closedInDownload);
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(foldersAtEnd, 0);
    EXPECT_EQ(folders(), 0);
}

}  // namespace
}  // namespace tunewell::update
