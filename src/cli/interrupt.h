// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace tunewell::cli {

// SIGINT and SIGTERM ask the command-line front end to end cleanly: the
// handler only records the signal (async-signal-safe); the event pump
// notices it and stops the work under way, which leaves no file under a
// final name. The program then exits with 128 + the signal number.

// Installs the handlers (without SA_RESTART, so blocking waits wake up).
void InstallInterruptHandlers();

// The signal received, 0 when none.
int InterruptSignal();

// 128 + the signal received (130 for SIGINT, 143 for SIGTERM).
int InterruptExitStatus();

}  // namespace tunewell::cli
