// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/single_window.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QStringDecoder>

#include <algorithm>
#include <optional>
#include <thread>

#include "platform/local_channel.h"

namespace tunewell::shell {
namespace {

constexpr int kPollMs = 50;
constexpr int kConnectWaitMs = 2000;
// Senders served at once; more are turned away until one is done.
constexpr std::size_t kMaxSenders = 8;
// A sender that has not finished its line, or not closed after the answer,
// by then is dropped.
constexpr auto kSenderTime = std::chrono::seconds(5);

constexpr char kShow[] = "SHOW";
constexpr char kOpen[] = "OPEN ";
constexpr char kAnswer[] = "OK\n";

QByteArray MessageFor(const QString& address) {
    if (address.isEmpty()) return QByteArray(kShow) + '\n';
    return QByteArray(kOpen) + address.left(SingleWindow::kMaxAddressChars + 1).toUtf8().toBase64() + '\n';
}

// The address a line carries: empty for SHOW; no value for anything else
// than the two forms, broken base64 or bytes that are no UTF-8.
std::optional<QString> AddressIn(const std::string& line) {
    if (line == kShow) return QString();
    if (!line.starts_with(kOpen)) return std::nullopt;
    const auto decoded = QByteArray::fromBase64Encoding(QByteArray::fromStdString(line.substr(sizeof kOpen - 1)),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.isEmpty()) return std::nullopt;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString address = utf8(decoded.decoded);
    if (utf8.hasError() || address.size() > SingleWindow::kMaxAddressChars + 1) return std::nullopt;
    return address;
}

}  // namespace

std::string SingleWindow::NameFor(const std::string& settingsFolder) {
    QByteArray key = QByteArray::fromStdString(settingsFolder);
    key += '\n';
    key += qgetenv("USER").isEmpty() ? qgetenv("USERNAME") : qgetenv("USER");
    const QByteArray hash = QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(16);
    return "Tunewell-" + hash.toStdString();
}

SingleWindow::SingleWindow(std::string name, QObject* parent) : QObject(parent), name_(std::move(name)) {
    timer_.setInterval(kPollMs);
    connect(&timer_, &QTimer::timeout, this, &SingleWindow::Poll);
}

SingleWindow::~SingleWindow() = default;

bool SingleWindow::HandOver(const QString& address, int answerWaitMs) const {
    const std::unique_ptr<platform::LocalConnection> connection =
        platform::ConnectLocalChannel(name_, kConnectWaitMs);
    if (connection == nullptr || !connection->Write(MessageFor(address).toStdString())) return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(answerWaitMs);
    std::string answer;
    while (std::chrono::steady_clock::now() < deadline) {
        const std::optional<std::string> got = connection->ReadSome(sizeof kAnswer);
        if (!got) return false;  // the window went away without answering
        answer += *got;
        if (answer.starts_with(kAnswer)) return true;
        if (answer.size() >= sizeof kAnswer) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

bool SingleWindow::Listen(std::function<void(const QString&)> received, std::function<bool()> taking) {
    channel_ = platform::LocalChannel::Open(name_);
    if (channel_ == nullptr) return false;
    received_ = std::move(received);
    taking_ = std::move(taking);
    timer_.start();
    return true;
}

void SingleWindow::Poll() {
    if (polling_ || channel_ == nullptr) return;
    polling_ = true;
    while (auto connection = channel_->Accept()) {
        if (senders_.size() >= kMaxSenders) continue;  // closed at once
        senders_.push_back({std::move(connection), {}, std::chrono::steady_clock::now(), false});
    }
    // Served before anything is called: `received` may process events.
    std::vector<QString> addresses;
    for (auto sender = senders_.begin(); sender != senders_.end();) {
        const bool wasAnswered = sender->answered;
        const bool keep = Serve(*sender);
        if (!wasAnswered && sender->answered) addresses.push_back(QString::fromStdString(sender->bytes));
        sender = keep ? sender + 1 : senders_.erase(sender);
    }
    polling_ = false;
    for (const QString& address : addresses) {
        if (received_) received_(address);
    }
}

bool SingleWindow::Serve(Sender& sender) {
    if (std::chrono::steady_clock::now() - sender.since > kSenderTime) return false;
    if (sender.answered) {
        // Waits for the sender to close after reading the answer; what it
        // sends meanwhile is thrown away.
        return sender.connection->ReadSome(kMaxMessageBytes).has_value();
    }
    const std::optional<std::string> got = sender.connection->ReadSome(kMaxMessageBytes + 1 - sender.bytes.size());
    if (!got) return false;
    sender.bytes += *got;
    const std::size_t end = sender.bytes.find('\n');
    if (end == std::string::npos) return sender.bytes.size() <= kMaxMessageBytes;
    if (end + 1 != sender.bytes.size()) return false;  // one line, nothing after it
    const std::optional<QString> address = AddressIn(sender.bytes.substr(0, end));
    // Acted on only once the answer is out: a sender that gave up waiting
    // opens its own window, and this one must not fetch the address too.
    if (!address || (taking_ && !taking_()) || !sender.connection->Write(kAnswer)) return false;
    sender.bytes = address->toStdString();
    sender.answered = true;
    return true;
}

}  // namespace tunewell::shell
