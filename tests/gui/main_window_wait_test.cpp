// SPDX-License-Identifier: GPL-3.0-or-later
// The main window while a page request waits, and its start-up order. The
// version check stands for every page request: its fake request calls the
// network wait pump in a loop, as the real requests do.
#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>

#include "chrome/caption_button.h"
#include "chrome/skin.h"
#include "chrome/text_box.h"
#include "main_window_fixture.h"
#include "net/wait_pump.h"
#include "widgets/skin_button.h"

namespace tunewell::testing {
namespace {

using shell::frmMain;

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++count;
        return false;
    }
};

std::unique_ptr<QMouseEvent> Mouse(QWidget* target, QEvent::Type type, QPoint local,
                                   Qt::MouseButton button, Qt::MouseButtons held) {
    return std::make_unique<QMouseEvent>(type, QPointF(local), QPointF(target->mapToGlobal(local)),
                                         button, held, Qt::NoModifier);
}

void SendMouse(QWidget* target, QEvent::Type type, QPoint local, Qt::MouseButton button,
               Qt::MouseButtons held) {
    QApplication::sendEvent(target, Mouse(target, type, local, button, held).get());
}

// A click left in the queue, as the window system delivers it.
void PostClick(QWidget* target) {
    const QPoint middle = target->rect().center();
    QCoreApplication::postEvent(
        target, Mouse(target, QEvent::MouseButtonPress, middle, Qt::LeftButton, Qt::LeftButton).release());
    QCoreApplication::postEvent(
        target, Mouse(target, QEvent::MouseButtonRelease, middle, Qt::LeftButton, Qt::NoButton).release());
}

// Pumps as a waiting page request does until `done` holds (bounded, so a
// fault fails the test instead of hanging it).
bool WaitPumpUntil(const std::function<bool()>& done) {
    for (int step = 0; step < 2000 && !done(); ++step) {
        net::RunWaitPump(net::WaitKind::kPage);
        QTest::qSleep(1);
    }
    return done();
}

// Clicks and keys made while a page request waits act at once, inside the
// wait, and nothing of them is replayed once the wait is over.
TEST_F(MainWindowTest, APageWaitPaintsRunsTimersAndTakesClicksAndKeysAtOnce) {
    frmMain& window = LoadedWindow();
    window.ListUrl->SetText(QStringLiteral("typed"));
    PaintCounter paints(window.LabTip);
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    bool busyCursor = false;
    std::size_t urlsInWait = 0;
    int settingsInWait = 0;
    QString fieldInWait;
    duringVersionRequest = [&] {
        timer.start(5);
        PostClick(window.cmdHelp);
        window.LabTip->update();
        EXPECT_TRUE(WaitPumpUntil([&] { return ticks >= 3 && paints.count >= 1 && !openedUrls.empty(); }));
        busyCursor = QApplication::overrideCursor() != nullptr &&
                     QApplication::overrideCursor()->shape() == Qt::BusyCursor;
        EXPECT_TRUE(window.InPageWait());
        window.ListUrl->Field()->setFocus();
        QTest::keyClick(window.ListUrl->Field(), Qt::Key_End);
        QTest::keyClick(window.ListUrl->Field(), Qt::Key_X);
        PostClick(window.cmdCon);
        EXPECT_TRUE(WaitPumpUntil([&] { return settingsShown == 1; }));
        urlsInWait = openedUrls.size();
        settingsInWait = settingsShown;
        fieldInWait = window.ListUrl->Text();
    };
    window.CheckVersion();
    EXPECT_TRUE(busyCursor);
    EXPECT_EQ(urlsInWait, 1u);
    EXPECT_EQ(settingsInWait, 1);
    EXPECT_EQ(fieldInWait, QStringLiteral("typedx"));
    PumpUntil([] { return false; }, 50);
    EXPECT_EQ(openedUrls.size(), 1u);  // nothing replayed after the wait
    EXPECT_EQ(settingsShown, 1);
    EXPECT_FALSE(window.InPageWait());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainWindowTest, TheCaptionStillDragsTheWindowDuringAPageWait) {
    frmMain& window = LoadedWindow();
    window.move(100, 100);
    QPoint during;
    duringVersionRequest = [&] {
        net::RunWaitPump(net::WaitKind::kPage);
        QWidget* strip = window.skin1->MoveStrip();
        SendMouse(strip, QEvent::MouseButtonPress, {50, 10}, Qt::LeftButton, Qt::LeftButton);
        SendMouse(strip, QEvent::MouseMove, {80, 30}, Qt::NoButton, Qt::LeftButton);
        SendMouse(strip, QEvent::MouseButtonRelease, {80, 30}, Qt::LeftButton, Qt::NoButton);
        during = window.pos();
    };
    window.CheckVersion();
    EXPECT_EQ(during, QPoint(130, 120));
}

TEST_F(MainWindowTest, ClosingDuringAPageWaitEndsTheRequestAndTheProgram) {
    versionReply = "{TunewellVerSion}2.6{/TunewellVerSion}";  // would open the updater
    frmMain& window = LoadedWindow();
    ASSERT_EQ(updaterOpened, 1);
    window.show();
    duringVersionRequest = [&] {
        net::RunWaitPump(net::WaitKind::kPage);
        QTest::mouseClick(window.skin1->CloseButton(), Qt::LeftButton);
        EXPECT_TRUE(WaitPumpUntil([&] { return net::PageWaitsStopped(); }));
    };
    window.CheckVersion();
    EXPECT_EQ(endCalls, 1);
    EXPECT_FALSE(window.isVisible());
    // The step unwound without acting on the closed window.
    EXPECT_EQ(updaterOpened, 1);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// A request outside any window step: its wait ends once the event loop
// idles again, so later clicks are not lost.
TEST_F(MainWindowTest, AWaitOutsideAStepEndsWhenTheEventLoopIdles) {
    frmMain& window = LoadedWindow();
    net::RunWaitPump(net::WaitKind::kPage);
    EXPECT_TRUE(window.InPageWait());
    QEventLoop idle;
    QTimer::singleShot(10, &idle, &QEventLoop::quit);
    idle.exec();
    EXPECT_FALSE(window.InPageWait());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// A transfer's wait is an ordinary event step: clicks act at once (that is
// how the download button pauses a run).
TEST_F(MainWindowTest, ATransferWaitKeepsEveryClick) {
    frmMain& window = LoadedWindow();
    PostClick(window.cmdHelp);
    net::RunWaitPump(net::WaitKind::kTransfer);
    EXPECT_EQ(openedUrls.size(), 1u);
    EXPECT_FALSE(window.InPageWait());
}

// Start-up with a version server that answers only after a while: the
// window is shown and painted before the check asks, and a newer version
// still opens the updater afterwards.
TEST_F(MainWindowTest, StartUpShowsThePaintedWindowBeforeTheVersionCheck) {
    versionReply = "{TunewellVerSion}2.6{/TunewellVerSion}";
    frmMain& window = Window();
    PaintCounter paints(window.skin1);
    bool shownFirst = false;
    int paintsAtRequest = 0;
    duringVersionRequest = [&] {
        shownFirst = window.isVisible();
        paintsAtRequest = paints.count;
        for (int step = 0; step < 5; ++step) net::RunWaitPump(net::WaitKind::kPage);
    };
    window.Form_Load();
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(versionRequests.empty());  // not inside Form_Load
    ASSERT_TRUE(PumpUntil([&] { return window.StartUpDone(); }));
    EXPECT_TRUE(shownFirst);
    EXPECT_GE(paintsAtRequest, 1);
    EXPECT_EQ(versionRequests.size(), 1u);
    EXPECT_EQ(updaterOpened, 1);
    EXPECT_EQ(window.StatusText(), "发现新的版本Ver2.6");
    EXPECT_FALSE(window.isVisible());
}

}  // namespace
}  // namespace tunewell::testing
