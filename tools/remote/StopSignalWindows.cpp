#include "tools/remote/StopSignal.h"

#include <windows.h>

namespace {

HANDLE Stop = nullptr;

// On a thread of the system's: it only wakes the main thread, which stops the server. Returning
// TRUE for a close, log-off or shutdown gives the process a few seconds before it is ended.
BOOL WINAPI OnConsoleEvent(DWORD) {
    SetEvent(Stop);
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
