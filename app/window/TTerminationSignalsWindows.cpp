#include "app/window/TTerminationSignals.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <windows.h>

namespace {

// Windows ends the process once a console handler returns from a close, log-off or shut-down
// event (and within about 5 s in any case): the handler waits for the close a little less.
constexpr auto ConsoleWait = std::chrono::milliseconds(4500);

std::atomic<TTerminationSignals*> Owner{nullptr};
std::mutex ClosedMutex;
std::condition_variable ClosedChanged;
bool Closed = false;

// The session's end reaches the window's thread as WM_ENDSESSION; once it is answered the
// process may be ended at any moment, so the close runs first.
class TSessionEndFilter : public QObject, public QAbstractNativeEventFilter {
public:
    explicit TSessionEndFilter(TTerminationSignals& owner) : Owner(owner) {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~TSessionEndFilter() override {
        if (QCoreApplication::instance())
            QCoreApplication::instance()->removeNativeEventFilter(this);
    }
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "windows_generic_MSG")
            return false;
        const MSG* msg = static_cast<const MSG*>(message);
        if (msg->message == WM_ENDSESSION && msg->wParam)
            Owner.Deliver();
        return false; // Qt answers as it always does
    }

private:
    TTerminationSignals& Owner;
};

BOOL WINAPI OnConsoleEvent(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        break;
    default:
        return FALSE;
    }
    TTerminationSignals* owner = Owner.load();
    if (!owner)
        return FALSE;
    QMetaObject::invokeMethod(
        owner,
        [owner] {
            owner->Deliver();
            std::lock_guard lock(ClosedMutex);
            Closed = true;
            ClosedChanged.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(ClosedMutex);
    ClosedChanged.wait_for(lock, ConsoleWait, [] { return Closed; });
    return TRUE;
}

} // namespace

TTerminationSignals::TTerminationSignals(std::function<void()> onSignal)
    : OnSignal(std::move(onSignal)) {
    TTerminationSignals* none = nullptr;
    if (!QCoreApplication::instance() || !Owner.compare_exchange_strong(none, this))
        return;
    {
        std::lock_guard lock(ClosedMutex);
        Closed = false;
    }
    Listener = std::make_unique<TSessionEndFilter>(*this);
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

TTerminationSignals::~TTerminationSignals() {
    if (!Listener)
        return;
    SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
    Listener.reset();
    Owner = nullptr;
}
