// How the bridge is told to stop: SIGINT, SIGTERM or SIGHUP on Linux (StopSignalLinux.cpp);
// Ctrl+C, Ctrl+Break, the console closed, log-off or shutdown on Windows (StopSignalWindows.cpp).
#pragma once

// Before any thread starts, so that no other thread is ever interrupted by them.
void CatchStopSignals();
// Returns once one came.
void WaitForStopSignal();
