#pragma once
#include <functional>

namespace tunewell::net {

// What a network wait is waiting for. A page request (list, sign-in, play
// page, file host, version) blocks its caller's step; a transfer is the
// song or program download, during which the window stays fully live.
enum class WaitKind { kPage, kTransfer };

// The step a front end runs while a request waits: process the window's
// pending events. Page waits call it at least every 50 ms until the reply
// is complete, whether or not bytes arrive. A handler it runs may make a
// request of its own (a list fetch during the run's play page): each request
// drives its own handle, and time spent in the pump does not count towards
// the waiting request's stall rule.
using WaitPump = std::function<void(WaitKind)>;

// Installs the process-wide pump (empty: waits process nothing). The
// window installs one at start; the command line has none.
void SetWaitPump(WaitPump pump);

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

}  // namespace tunewell::net
