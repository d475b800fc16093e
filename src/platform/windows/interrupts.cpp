// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/interrupts.h"

#include <windows.h>

#include <atomic>

namespace tunewell::platform {
namespace {

constexpr int kInterrupt = 2;
constexpr int kTerminate = 15;

// The system calls the handler on a thread of its own.
std::atomic<int> received{0};

BOOL WINAPI RecordEvent(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT: received = kInterrupt; return TRUE;
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT: received = kTerminate; return TRUE;
        default: return FALSE;
    }
}

}  // namespace

void CatchInterrupts() { ::SetConsoleCtrlHandler(RecordEvent, TRUE); }

int CaughtInterrupt() { return received; }

}  // namespace tunewell::platform
