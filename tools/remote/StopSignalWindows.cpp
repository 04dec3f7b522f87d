#include "tools/remote/StopSignal.h"

#include <windows.h>

namespace {

HANDLE Stop = nullptr;

// On a thread of the system's: it only wakes the main thread, which stops the server. After a
// close, log-off or shutdown the system ends the process as soon as this returns, so then it
// never returns: the process ends when main does (or when the system's grace runs out).
BOOL WINAPI OnConsoleEvent(DWORD event) {
    SetEvent(Stop);
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        Sleep(INFINITE);
    return TRUE;
}

} // namespace

void CatchStopSignals() {
    Stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

void WaitForStopSignal() {
    WaitForSingleObject(Stop, INFINITE);
}
