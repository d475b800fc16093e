// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/interrupts.h"

#include <signal.h>

namespace tunewell::platform {
namespace {

volatile sig_atomic_t received = 0;

extern "C" void RecordSignal(int signal) { received = signal; }

}  // namespace

void CatchInterrupts() {
    struct sigaction action {};
    action.sa_handler = RecordSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int CaughtInterrupt() { return received; }

}  // namespace tunewell::platform
