// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace tunewell::platform {

// Requests from outside to end the program: SIGINT and SIGTERM on Linux,
// the console's Ctrl+C, Ctrl+Break and close events on Windows (reported
// as 2, the interrupt, and 15, the termination request). The handler only
// records the request; the program notices it when it next looks.

// Installs the handlers. On Linux without SA_RESTART, so blocking waits
// wake up.
void CatchInterrupts();

// The request received (2 or 15), 0 when none.
int CaughtInterrupt();

}  // namespace tunewell::platform
