// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tunewell::platform {
class LocalChannel;
class LocalConnection;
}  // namespace tunewell::platform

namespace tunewell::shell {

// One window per settings folder: a later start of the program hands the
// address of its command line (or none) to the window already running for
// the same Config.ini and ends, instead of opening a second window. A copy
// in another folder has a channel of its own.
//
// The channel (platform/local_channel.h) carries one line per start:
// "SHOW" or "OPEN " and the address's UTF-8 bytes in base64, then "\n",
// answered with "OK\n" once the running window has taken it. The owner
// reads at most kMaxMessageBytes from a sender; a longer, malformed or
// silent sender (any local program may connect) is dropped without an
// answer and changes nothing. The owner polls from a timer, so a window
// busy in a request's wait takes the hand-over the next time it processes
// its events.
class SingleWindow : public QObject {
public:
    static constexpr std::size_t kMaxMessageBytes = 16 * 1024;
    // Longer addresses are cut to one character past this, so the window
    // still sees that the address was too long.
    static constexpr int kMaxAddressChars = 2048;
    // How long a later start waits for the running window to answer.
    static constexpr int kAnswerWaitMs = 8000;

    // "Tunewell-" and 16 hexadecimal digits of a SHA-256 of the settings
    // folder (the folder holding Config.ini) and the user's name: short and
    // valid as a socket or pipe name on every platform.
    static std::string NameFor(const std::string& settingsFolder);

    explicit SingleWindow(std::string name, QObject* parent = nullptr);
    ~SingleWindow() override;
    SingleWindow(const SingleWindow&) = delete;
    SingleWindow& operator=(const SingleWindow&) = delete;

    // The later start's side: hands `address` (empty: none, the window
    // only comes forward) to the window that owns the name. True when that
    // window answered within `answerWaitMs`: this start should end. False
    // when no window owns the name or it did not answer.
    bool HandOver(const QString& address, int answerWaitMs = kAnswerWaitMs) const;

    // The first start's side: owns the name from now on (one an owner that
    // crashed left behind is taken over). `received` is called from the
    // event loop with each address handed over, empty for a start without
    // one. False when the name could not be owned: the program goes on
    // alone. While `taking` (if given) says no, as for a window that is
    // closing, senders get no answer and open a window of their own.
    bool Listen(std::function<void(const QString& address)> received, std::function<bool()> taking = {});
    bool Listening() const { return channel_ != nullptr; }

private:
    struct Sender {
        std::unique_ptr<platform::LocalConnection> connection;
        std::string bytes;
        std::chrono::steady_clock::time_point since;
        bool answered = false;  // kept until it closes, so it can read the answer
    };

    void Poll();
    // False when the sender is to be dropped.
    bool Serve(Sender& sender);

    std::string name_;
    std::unique_ptr<platform::LocalChannel> channel_;
    std::vector<Sender> senders_;
    std::function<void(const QString&)> received_;
    std::function<bool()> taking_;
    QTimer timer_;
    bool polling_ = false;
};

}  // namespace tunewell::shell
