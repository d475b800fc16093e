// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QPixmap>
#include <QElapsedTimer>
#include <QFocusEvent>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "demo_site/gif_image.h"
#include "support/demo_site_fixture.h"
#include "widgets/message_dialog.h"
#include "support/temp_folder.h"
#include "widgets/progress_bar_widget.h"
#include "widgets/shell_functions.h"
#include "widgets/skin_button.h"
#include "net/remote_bytes.h"
#include "widgets/uc_ani_gif.h"
#include "support/site_urls.h"

namespace tunewell::widgets {
namespace {

QByteArray Gif() { return QByteArray::fromStdString(demo::AnimatedGif()); }

bool WaitFor(QSignalSpy& spy, int count = 1) {
    QElapsedTimer timer;
    timer.start();
    while (spy.count() < count && timer.elapsed() < 10000) spy.wait(50);
    return spy.count() >= count;
}

TEST(WidgetsTest, ProgressBarClampsItsValue) {
    ProgressBar bar;
    const std::pair<int, int> values[] = {{57, 57}, {-3, 0}, {140, 100}, {100, 100}};
    for (const auto& [given, kept] : values) {
        bar.SetValue(given);
        EXPECT_EQ(bar.Value(), kept) << given;
    }
}

// The focus outline shows only for focus given with the keyboard.
// An installed copy's windows show the icon the package put into the
// hicolor theme; without one they keep the drawn note.
TEST(WidgetsTest, ProgramIconIsTheThemeIconWhereOneIsInstalled) {
    ASSERT_TRUE(QApplication::windowIcon().isNull());
    const QStringList searchPaths = QIcon::themeSearchPaths();
    const QString themeName = QIcon::themeName();
    testing::TempFolder themes;
    const QString hicolor = QString::fromStdString(themes.path()) + QStringLiteral("/hicolor");
    QIcon::setThemeName(QStringLiteral("hicolor"));
    QIcon::setThemeSearchPaths({QString::fromStdString(themes.path())});
    EXPECT_TRUE(ProgramIcon().name().isEmpty());
    EXPECT_FALSE(ProgramIcon().isNull());

    ASSERT_TRUE(QDir().mkpath(hicolor + QStringLiteral("/16x16/apps")));
    QFile index(hicolor + QStringLiteral("/index.theme"));
    ASSERT_TRUE(index.open(QIODevice::WriteOnly));
    index.write("[Icon Theme]\nName=Hicolor\nDirectories=16x16/apps\n\n[16x16/apps]\nSize=16\nType=Fixed\n");
    index.close();
    QPixmap picture(16, 16);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(hicolor + QStringLiteral("/16x16/apps/tunewell.png")));
    QIcon::setThemeSearchPaths({QString::fromStdString(themes.path())});
    EXPECT_EQ(ProgramIcon().name(), QStringLiteral("tunewell"));

    QIcon::setThemeSearchPaths(searchPaths);
    QIcon::setThemeName(themeName);
}

TEST(WidgetsTest, SkinButtonShowsTheFocusCueOnlyForKeyboardFocus) {
    SkinButton button(QStringLiteral("示例"));
    const std::pair<Qt::FocusReason, bool> steps[] = {{Qt::ActiveWindowFocusReason, false},
                                                      {Qt::TabFocusReason, true},
                                                      {Qt::ActiveWindowFocusReason, true},
                                                      {Qt::MouseFocusReason, false},
                                                      {Qt::BacktabFocusReason, true}};
    for (const auto& [reason, cue] : steps) {
        QFocusEvent in(QEvent::FocusIn, reason);
        QApplication::sendEvent(&button, &in);
        EXPECT_EQ(button.ShowsFocusCue(), cue) << reason;
    }
}

// Enter and Space press a focused button; Enter with a modifier does not,
// and a message box leaves on Esc.
TEST(WidgetsTest, TheKeyboardPressesButtonsAndLeavesMessageBoxes) {
    SkinButton button(QStringLiteral("获取歌曲列表"));
    QSignalSpy clicks(&button, &QPushButton::clicked);
    QTest::keyClick(&button, Qt::Key_Return);
    QTest::keyClick(&button, Qt::Key_Enter);
    QTest::keyClick(&button, Qt::Key_Space);
    EXPECT_EQ(clicks.count(), 3);
    QTest::keyClick(&button, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(clicks.count(), 3);

    bool closedByEsc = false;
    QTimer esc;
    QObject::connect(&esc, &QTimer::timeout, [&] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            esc.stop();
            closedByEsc = true;
            QTest::keyClick(box, Qt::Key_Escape);
        }
    });
    esc.start(20);
    ShowMessage(nullptr, "保存地址路径不存在,请重新选择");
    EXPECT_TRUE(closedByEsc);
}

TEST(WidgetsTest, AnimationActions) {
    ucAniGIF picture;
    picture.SetAction(ucAniGIF::kPlay);  // nothing loaded: nothing to play
    EXPECT_EQ(picture.Action(), ucAniGIF::kStop);
    EXPECT_FALSE(picture.LoadAnimatedGIF(QByteArray("not a picture")));
    EXPECT_FALSE(picture.HasPicture());

    ASSERT_TRUE(picture.LoadAnimatedGIF(Gif()));
    EXPECT_EQ(picture.Action(), ucAniGIF::kPlay);  // plays as soon as it arrives
    picture.SetAction(ucAniGIF::kPause);
    EXPECT_EQ(picture.Action(), ucAniGIF::kPause);
    picture.SetAction(ucAniGIF::kPlay);
    EXPECT_EQ(picture.Action(), ucAniGIF::kPlay);
    picture.SetAction(ucAniGIF::kStop);
    picture.SetAction(ucAniGIF::kPause);  // a stopped picture is not "paused"
    EXPECT_EQ(picture.Action(), ucAniGIF::kStop);
    EXPECT_FALSE(picture.LoadAnimatedGIF(QByteArray("broken")));
    EXPECT_TRUE(picture.HasPicture());  // a bad picture keeps the old one
}

TEST(WidgetsTest, RemoteLoadRunsInTheBackgroundAndTheLatestAddressWins) {
    // The slow load takes 1.5 s, or ends as soon as the later one has.
    std::atomic<bool> laterLoaded{false};
    ucAniGIF picture;
    picture.SetFetcher([&laterLoaded](const std::string& address) -> std::optional<std::string> {
        if (address == "slow") {
            for (int wait = 0; wait < 150 && !laterLoaded; ++wait) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            return std::string("not a picture");
        }
        if (address == "fails") return std::nullopt;
        return demo::AnimatedGif();
    });
    QSignalSpy finished(&picture, &ucAniGIF::RemoteLoadFinished);

    picture.LoadAnimatedGIF_Remote("");  // nothing to load
    EXPECT_EQ(picture.LoadsUnderWay(), 0);

    QElapsedTimer timer;
    timer.start();
    picture.LoadAnimatedGIF_Remote("slow");
    EXPECT_LT(timer.elapsed(), 1000);  // the caller does not wait for the 1.5 s load
    picture.LoadAnimatedGIF_Remote("good");
    ASSERT_TRUE(WaitFor(finished));
    laterLoaded = true;
    EXPECT_TRUE(finished.at(0).at(0).toBool());
    EXPECT_TRUE(picture.HasPicture());
    // the superseded slow load ends without a word
    for (int wait = 0; wait < 100 && picture.LoadsUnderWay() > 0; ++wait) QTest::qWait(50);
    EXPECT_EQ(picture.LoadsUnderWay(), 0);
    EXPECT_EQ(finished.count(), 1);

    picture.LoadAnimatedGIF_Remote("fails");
    ASSERT_TRUE(WaitFor(finished, 2));
    EXPECT_FALSE(finished.at(1).at(0).toBool());
    EXPECT_TRUE(picture.HasPicture());
}

TEST(RemoteBytesTest, FetchesPicturesThroughTheProxyAndRefusesFailures) {
    testing::ScopedDemoSite site;
    ASSERT_TRUE(site.Running());
    const auto picture = net::FetchRemoteBytes(testing::VersionUrl("/ad.gif"));
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(*picture, demo::AnimatedGif());
    EXPECT_FALSE(net::FetchRemoteBytes(testing::VersionUrl("/no-such-picture.gif")).has_value());
    EXPECT_FALSE(net::FetchRemoteBytes(testing::VersionUrl("/ad.gif"), 16).has_value());
    EXPECT_FALSE(net::FetchRemoteBytes("").has_value());
    EXPECT_FALSE(net::FetchRemoteBytes("file:///etc/passwd").has_value());
}

}  // namespace
}  // namespace tunewell::widgets
