// Waiting for a child process the test started, bounded: a program that does not end fails its
// test instead of hanging the suite, and is killed and reaped so that it outlives nothing.
#pragma once

#include "tests/support/WaitFor.h"

#include <chrono>
#include <csignal>
#include <sys/types.h>
#include <sys/wait.h>

namespace testwait {

// True once pid has ended within limit (a plain build's, scaled), its wait status in *status.
// False when it has not: it is then killed.
inline bool WaitChild(pid_t pid, int* status = nullptr,
                      std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    int ended = 0;
    if (WaitFor([&] { return ::waitpid(pid, &ended, WNOHANG) == pid; }, limit)) {
        if (status)
            *status = ended;
        return true;
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0); // SIGKILL cannot be caught: this ends at once
    return false;
}

// Ends pid at once (SIGKILL) and reaps it; true when pid was a child still to be reaped.
inline bool KillChild(pid_t pid) {
    return pid > 0 && ::kill(pid, SIGKILL) == 0 && WaitChild(pid);
}

} // namespace testwait
