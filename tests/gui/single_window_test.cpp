// SPDX-License-Identifier: GPL-3.0-or-later
// A later start hands its address to the window already running: the
// channel between two SingleWindow objects (the later start's side runs on a
// thread of its own, as it would in its own process, while the owner's
// events are processed here), what it refuses, a channel a crashed owner
// left behind, and the main window coming forward and taking the address.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>

#include <gtest/gtest.h>

#include <filesystem>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "chrome/text_box.h"
#include "hosts/site_hosts.h"
#include "hand_over.h"
#include "main_window_fixture.h"
#include "platform/local_channel.h"
#include "settings/config.h"
#include "shell/single_window.h"
#include "widgets/shell_functions.h"

namespace tunewell::testing {
namespace {

using shell::SingleWindow;

// Processes events until `done` holds or `ms` pass.
bool PumpUntil(const std::function<bool()>& done, int ms = 10000) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

class SingleWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(owner_.Listen([this](const QString& address) { received_.push_back(address); }));
    }
    std::string name_ = FreshChannelName();
    SingleWindow owner_{name_};
    std::vector<QString> received_;
};

TEST(SingleWindowName, KeyedByTheSettingsFolderShortAndPlain) {
    const std::string a = SingleWindow::NameFor("/home/u/.config/tunewell");
    EXPECT_EQ(a, SingleWindow::NameFor("/home/u/.config/tunewell"));
    EXPECT_NE(a, SingleWindow::NameFor("/home/u/Downloads/Tunewell"));
    ASSERT_EQ(a.size(), 25u);
    EXPECT_EQ(a.rfind("Tunewell-", 0), 0u);
    EXPECT_EQ(a.find_first_not_of("0123456789abcdef", 9), std::string::npos);
}

// The address arrives whole (Chinese and all), a start without one only
// asks the window forward, and a second owner of the same name is refused
// while the first goes on taking hand-overs.
TEST_F(SingleWindowTest, TheRunningOwnerTakesWhatLaterStartsHandOver) {
    SingleWindow later(name_);
    const QString address = QString::fromUtf8("http://www.example/tag/%BF%A8 音乐?a=1&b=2");
    EXPECT_TRUE(HandOverFromElsewhere(later, address));
    EXPECT_TRUE(HandOverFromElsewhere(later, QString()));
    SingleWindow second(name_);
    EXPECT_FALSE(second.Listen([](const QString&) {}));
    EXPECT_TRUE(HandOverFromElsewhere(later, QStringLiteral("x")));
    EXPECT_EQ(received_, (std::vector<QString>{address, QString(), QStringLiteral("x")}));
    // No owner: at once, nothing taken.
    EXPECT_FALSE(SingleWindow(FreshChannelName()).HandOver(QStringLiteral("y"), 2000));
}

// Any local program may connect: a message past the size limit, one that
// is not of the two forms, broken base64, bytes that are no UTF-8 or a
// second line get no answer and change nothing; the owner goes on serving.
TEST_F(SingleWindowTest, OversizedOrMalformedMessagesAreDroppedUnanswered) {
    const std::vector<std::string> bad = {
        std::string(SingleWindow::kMaxMessageBytes + 100, 'A'),
        "OPEN " + std::string(SingleWindow::kMaxMessageBytes, 'A') + "\n",
        "GIVE aHR0cDovL3g=\n", "OPEN ***\n", "OPEN \n", "OPEN /w==\n", "SHOW\nSHOW\n", "show\n"};
    for (const std::string& message : bad) {
        // From a thread of its own: a pipe's writer waits while its buffer
        // is full, and the owner reads only as this thread processes events.
        auto sent = std::async(std::launch::async, [&] {
            std::string answer;
            auto connection = platform::ConnectLocalChannel(name_, 2000);
            if (connection == nullptr) return std::string("no connection");
            for (std::size_t at = 0; at < message.size(); at += 4000) {
                if (!connection->Write(message.substr(at, 4000))) break;  // dropped meanwhile
            }
            QElapsedTimer waited;
            waited.start();
            while (waited.elapsed() < 10000) {
                const auto got = connection->ReadSome(16);
                if (!got) return answer;  // closed by the owner
                answer += *got;
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            return answer + " (never closed)";
        });
        PumpUntil([&] { return sent.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 15000);
        EXPECT_EQ(sent.get(), "") << message.substr(0, 20);
    }
    EXPECT_TRUE(received_.empty());
    EXPECT_TRUE(HandOverFromElsewhere(SingleWindow(name_), QStringLiteral("after")));
    EXPECT_EQ(received_, std::vector<QString>{QStringLiteral("after")});
}

// An address longer than any the window takes arrives cut one character
// past the limit, so the window can still tell it was too long.
TEST_F(SingleWindowTest, AnOverlongAddressArrivesCutPastTheLimit) {
    const QString address = QStringLiteral("http://x/") + QString(5000, QLatin1Char('a'));
    EXPECT_TRUE(HandOverFromElsewhere(SingleWindow(name_), address));
    ASSERT_EQ(received_.size(), 1u);
    EXPECT_EQ(received_[0], address.left(SingleWindow::kMaxAddressChars + 1));
}

// An owner that takes nothing now (its window is closing) lets the sender
// go unanswered at once, so that it opens a window of its own.
TEST(SingleWindowClosing, AClosingOwnerLeavesTheSenderToOpenItsOwnWindow) {
    const std::string name = FreshChannelName();
    SingleWindow owner(name);
    bool taking = false;
    std::vector<QString> received;
    ASSERT_TRUE(owner.Listen([&](const QString& address) { received.push_back(address); }, [&] { return taking; }));
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(HandOverFromElsewhere(SingleWindow(name), QStringLiteral("a")));
    EXPECT_LT(timer.elapsed(), 3000);  // not the whole wait for an answer
    taking = true;
    EXPECT_TRUE(HandOverFromElsewhere(SingleWindow(name), QStringLiteral("b")));
    EXPECT_EQ(received, std::vector<QString>{QStringLiteral("b")});
}

#ifndef _WIN32
// A first start that crashed leaves its socket file, which nobody answers
// on: the next start opens its own window (nothing taken) and owns the
// name, and the start after that hands over to it.
TEST(SingleWindowStale, AChannelLeftByACrashedOwnerIsTakenOver) {
    const std::string name = FreshChannelName();
    std::filesystem::path socket, kept;
    {
        auto crashed = platform::LocalChannel::Open(name);
        ASSERT_NE(crashed, nullptr);
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        for (const std::filesystem::path& folder :
             {std::filesystem::path(runtime != nullptr ? runtime : "/nonexistent"), std::filesystem::temp_directory_path()}) {
            if (std::filesystem::is_socket(folder / name)) socket = folder / name;
        }
        ASSERT_FALSE(socket.empty());
        kept = socket.string() + ".kept";
        std::filesystem::create_hard_link(socket, kept);  // survives the owner's clean-up
    }
    std::filesystem::rename(kept, socket);
    ASSERT_TRUE(std::filesystem::is_socket(socket));

    SingleWindow next(name);
    EXPECT_FALSE(next.HandOver(QStringLiteral("a"), 2000));
    std::vector<QString> received;
    ASSERT_TRUE(next.Listen([&](const QString& address) { received.push_back(address); }));
    EXPECT_TRUE(HandOverFromElsewhere(SingleWindow(name), QStringLiteral("b")));
    EXPECT_EQ(received, std::vector<QString>{QStringLiteral("b")});
}
#endif

// The window behind the channel: from the tray it comes back, and an
// address that is not on the music site leaves the field as it was and
// says why in the status line; an overlong one too.
TEST_F(MainWindowTest, AHandOverBringsTheWindowBackAndRefusesOtherAddresses) {
    trayAvailable = true;
    shell::frmMain& window = LoadedWindow();
    SingleWindow owner(FreshChannelName());
    ASSERT_TRUE(owner.Listen([&window](const QString& address) { window.OpenFromElsewhere(address.toStdString()); }));
    const QString typed = window.ListUrl->Text();
    window.showMinimized();
    ASSERT_TRUE(PumpUntil([&] { return !window.isVisible(); }));
    ASSERT_TRUE(widgets::HasTrayIcon(&window, 0));

    EXPECT_TRUE(HandOverFromElsewhere(owner, QStringLiteral("https://example.org/music/chart")));
    ASSERT_TRUE(PumpUntil([&] { return window.isVisible(); }));
    EXPECT_FALSE(window.isMinimized());
    EXPECT_FALSE(widgets::HasTrayIcon(&window, 0));
    PumpUntil([&] { return window.LabTip->text() != QStringLiteral("Tunewell音乐下载助手"); }, 2000);
    EXPECT_EQ(window.LabTip->text().toStdString(),
              std::string("本软件不支持") + hosts::kMusicHost + "网站外的歌曲！");
    EXPECT_EQ(window.ListUrl->Text(), typed);
    const QString longAddress = QStringLiteral("http://") + QString::fromUtf8(hosts::kMusicHost) + QStringLiteral("/") +
                                QString(3000, QLatin1Char('a'));
    EXPECT_TRUE(HandOverFromElsewhere(owner, longAddress));
    PumpUntil([&] { return window.LabTip->text() == QStringLiteral("地址太长，未获取歌曲列表"); }, 2000);
    EXPECT_EQ(window.LabTip->text(), QStringLiteral("地址太长，未获取歌曲列表"));
    EXPECT_EQ(window.ListUrl->Text(), typed);
    EXPECT_FALSE(std::filesystem::exists(settings::ConfigPath(Folder())));  // nothing saved
    EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace tunewell::testing
