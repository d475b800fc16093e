#include "net/wait_pump.h"

#include <utility>

namespace tunewell::net {
namespace {

WaitPump& Installed() {
    static WaitPump pump;
    return pump;
}

}  // namespace

void SetWaitPump(WaitPump pump) { Installed() = std::move(pump); }

void RunWaitPump(WaitKind kind) {
    // A copy: the pump may install another one while it runs.
    const WaitPump pump = Installed();
    if (pump) pump(kind);
}

}  // namespace tunewell::net
