// The latest state of Kadrant as the bridge knows it, shared between the thread that watches the
// control socket and every live-event client. A version number tells a waiting client whether
// anything changed since it last looked.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

struct TStateSnapshot {
    bool Up = false;  // Kadrant reachable on its socket
    std::string Json; // the last state object while up
    std::uint64_t Version = 0;
};

class TStateHub {
public:
    // A state line from Kadrant; ignored when it repeats the current one.
    void Publish(const std::string& json);
    // Kadrant went away (or never came).
    void SetDown();
    TStateSnapshot Current() const;
    // Waits up to `timeout` for a version newer than `seen`; false on time-out or when closed.
    bool WaitNewer(std::uint64_t seen, std::chrono::milliseconds timeout, TStateSnapshot& out);
    // Wakes every waiter for good (the server is stopping).
    void Close();
    bool IsClosed() const;

private:
    mutable std::mutex Mutex;
    std::condition_variable Changed;
    TStateSnapshot State{false, {}, 1};
    bool Closed = false;
};
