// Turns SIGTERM, SIGINT and SIGHUP into an ordinary close of the main window, so that a program
// stopped by the session, a service manager or Ctrl+C in a terminal still saves its settings and
// releases the port. The signal handler only writes a byte to a pipe; the close itself runs on
// the window's thread when the event loop reads it.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>

class TTerminationSignals : public QObject {
    Q_OBJECT

public:
    // One instance at a time: the handlers reach it through a process-wide pipe.
    explicit TTerminationSignals(std::function<void()> onSignal);
    ~TTerminationSignals() override;

    bool IsActive() const { return Notifier != nullptr; }

private:
    void OnReadable();

    std::function<void()> OnSignal;
    std::unique_ptr<QSocketNotifier> Notifier;
};
