// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>

#include <chrono>
#include <future>
#include <random>
#include <string>

#include "shell/single_window.h"

namespace tunewell::testing {

// A channel name no other test (or run) uses.
inline std::string FreshChannelName() {
    std::random_device random;
    return "Tunewell-test-" + std::to_string(random()) + std::to_string(random());
}

// Hands `address` over as a later start would, from a thread of its own
// (the later start's own process), while this thread processes the
// owner's events. Whether the owner took it.
inline bool HandOverFromElsewhere(const shell::SingleWindow& later, const QString& address,
                                  int answerWaitMs = 5000) {
    auto result = std::async(std::launch::async, [&] { return later.HandOver(address, answerWaitMs); });
    QElapsedTimer timer;
    timer.start();
    while (result.wait_for(std::chrono::seconds(0)) != std::future_status::ready && timer.elapsed() < 15000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return result.get();
}

}  // namespace tunewell::testing
