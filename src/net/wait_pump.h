// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>
#include <utility>

namespace tunewell::net {

// What a network wait is waiting for. A page request (list, sign-in, play
// page, file host, version) blocks its caller's step; a transfer is the
// song or program download, during which the window stays fully live.
enum class WaitKind { kPage, kTransfer };

// The step a front end runs while a request or a transfer waits: process
// the window's pending events. It is the one way "process pending events"
// reaches the network and the transfers: page waits, and every transfer of
// the transfer library (a single file and songs side by side), call it at
// least every 50 ms until they are done, whether or not bytes arrive. A
// handler it runs may make a request of its own (a list fetch during the
// run's play page): each request drives its own handle, and time spent in
// the pump does not count towards the waiting request's stall rule.
using WaitPump = std::function<void(WaitKind)>;

// Installs the process-wide pump (empty: waits process nothing). A front
// end's session installs its own for as long as it lives.
void SetWaitPump(WaitPump pump);
// The pump installed now (empty when none).
WaitPump InstalledWaitPump();

// Installs `pump` for its scope and puts back the one installed before.
class ScopedWaitPump {
public:
    explicit ScopedWaitPump(WaitPump pump) : previous_(InstalledWaitPump()) { SetWaitPump(std::move(pump)); }
    ~ScopedWaitPump() { SetWaitPump(std::move(previous_)); }
    ScopedWaitPump(const ScopedWaitPump&) = delete;
    ScopedWaitPump& operator=(const ScopedWaitPump&) = delete;

private:
    WaitPump previous_;
};

// Runs the installed pump once; does nothing when none is installed.
void RunWaitPump(WaitKind kind);

// The program is ending (its window was closed during a page wait): every
// page request waiting now, or started later, ends at its next wait step
// as aborted, so its caller sees its usual failure and unwinds at once.
void StopPageWaits();
// Whether StopPageWaits was called since the last AllowPageWaits.
bool PageWaitsStopped();
// Page requests run normally again (a new main window).
void AllowPageWaits();

// A step whose page requests the user may abandon (a list fetch that does
// not answer). While it is the innermost such step alive, the page requests
// made on this thread belong to it; once Abandon() is called they end at
// their next wait step as aborted (kAborted), and so do those it makes
// later, so the step unwinds at once. Requests made before it, or outside
// it (the run's play page under a list fetch), are not touched.
class AbandonableWait {
public:
    AbandonableWait();
    ~AbandonableWait();
    AbandonableWait(const AbandonableWait&) = delete;
    AbandonableWait& operator=(const AbandonableWait&) = delete;

    void Abandon() { abandoned_ = true; }
    bool Abandoned() const { return abandoned_; }
    // The innermost step alive on this thread, or null.
    static const AbandonableWait* Current();

private:
    bool abandoned_ = false;
    AbandonableWait* outer_;
};

}  // namespace tunewell::net
