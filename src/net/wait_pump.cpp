// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/wait_pump.h"

#include <atomic>
#include <utility>

namespace tunewell::net {
namespace {

WaitPump& Installed() {
    static WaitPump pump;
    return pump;
}

std::atomic<bool>& Stopped() {
    static std::atomic<bool> stopped{false};
    return stopped;
}

}  // namespace

void StopPageWaits() { Stopped() = true; }

bool PageWaitsStopped() { return Stopped(); }

void AllowPageWaits() { Stopped() = false; }

namespace {

AbandonableWait*& InnermostAbandonable() {
    thread_local AbandonableWait* innermost = nullptr;
    return innermost;
}

}  // namespace

AbandonableWait::AbandonableWait() : outer_(InnermostAbandonable()) { InnermostAbandonable() = this; }

AbandonableWait::~AbandonableWait() { InnermostAbandonable() = outer_; }

const AbandonableWait* AbandonableWait::Current() { return InnermostAbandonable(); }

void SetWaitPump(WaitPump pump) { Installed() = std::move(pump); }

WaitPump InstalledWaitPump() { return Installed(); }

void RunWaitPump(WaitKind kind) {
    // A copy: the pump may install another one while it runs.
    const WaitPump pump = Installed();
    if (pump) pump(kind);
}

}  // namespace tunewell::net
