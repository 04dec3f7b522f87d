#include "tools/remote/StopSignal.h"

#include <csignal>
#include <pthread.h>

namespace {

sigset_t StopSignals;

} // namespace

void CatchStopSignals() {
    // Blocked before any thread starts, so that every thread inherits the mask and only sigwait
    // sees them.
    sigemptyset(&StopSignals);
    sigaddset(&StopSignals, SIGINT);
    sigaddset(&StopSignals, SIGTERM);
    sigaddset(&StopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &StopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

void WaitForStopSignal() {
    int signal = 0;
    sigwait(&StopSignals, &signal);
}
