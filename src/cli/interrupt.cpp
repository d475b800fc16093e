// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/interrupt.h"

#include "platform/interrupts.h"

namespace tunewell::cli {

void InstallInterruptHandlers() { platform::CatchInterrupts(); }

int InterruptSignal() { return platform::CaughtInterrupt(); }

int InterruptExitStatus() { return 128 + InterruptSignal(); }

}  // namespace tunewell::cli
