#include "app/window/TTerminationSignals.h"

#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int Pipe[2] = {-1, -1};
constexpr int Signals[] = {SIGTERM, SIGINT, SIGHUP};

void WriteWakeUp(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = write(Pipe[1], &byte, 1);
    errno = saved;
}

} // namespace

TTerminationSignals::TTerminationSignals(std::function<void()> onSignal)
    : OnSignal(std::move(onSignal)) {
    if (Pipe[0] >= 0 || pipe2(Pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // without the pipe the default action (ending the program) stays
    auto notifier = std::make_unique<QSocketNotifier>(Pipe[0], QSocketNotifier::Read);
    connect(notifier.get(), &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (read(Pipe[0], bytes, sizeof bytes) > 0) {
        }
        Deliver();
    });
    Listener = std::move(notifier);
    struct sigaction action = {};
    action.sa_handler = WriteWakeUp;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : Signals)
        sigaction(signal, &action, nullptr);
}

TTerminationSignals::~TTerminationSignals() {
    if (!Listener)
        return;
    for (int signal : Signals)
        std::signal(signal, SIG_DFL);
    Listener.reset();
    close(Pipe[0]);
    close(Pipe[1]);
    Pipe[0] = Pipe[1] = -1;
}
