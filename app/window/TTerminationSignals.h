// Turns the platform's requests to end into an ordinary close of the main window, so that a
// program stopped by the session, a service manager or Ctrl+C in a terminal still saves its
// settings and releases the port. The close itself always runs on the window's thread.
// - Linux: SIGTERM, SIGINT and SIGHUP; the handler only writes a byte to a pipe that the event
//   loop reads.
// - Windows: the console's Ctrl+C, Ctrl+Break, close, log-off and shut-down events (the handler
//   hands the close to the window's thread and waits for it, since Windows ends the process when
//   the handler returns), and the session's end (WM_ENDSESSION), closed before it is answered.
#pragma once

#include <QObject>
#include <functional>
#include <memory>

class TTerminationSignals : public QObject {
    Q_OBJECT

public:
    // One instance at a time: the handlers reach it through process-wide state.
    explicit TTerminationSignals(std::function<void()> onSignal);
    ~TTerminationSignals() override;

    bool IsActive() const { return Listener != nullptr; }

    // Runs the close on the window's thread (the platform file calls it).
    void Deliver() {
        if (OnSignal)
            OnSignal();
    }

private:
    std::function<void()> OnSignal;
    std::unique_ptr<QObject> Listener; // the platform's, alive while the requests are ours
};
