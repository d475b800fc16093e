#include "cli/interrupt.h"

#include <signal.h>

namespace tunewell::cli {
namespace {

volatile sig_atomic_t received = 0;

extern "C" void RecordSignal(int signal) { received = signal; }

}  // namespace

void InstallInterruptHandlers() {
    struct sigaction action {};
    action.sa_handler = RecordSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int InterruptSignal() { return received; }

int InterruptExitStatus() { return 128 + received; }

}  // namespace tunewell::cli
