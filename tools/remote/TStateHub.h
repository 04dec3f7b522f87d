// The latest state of Kadrant as the bridge knows it, shared between the thread that watches the
// control socket and every live-event client. A version number tells a client whether anything
// changed since it last looked; a listener hears of every change, so that nobody has to wait on it.
#pragma once

#include <cstdint>
#include <functional>
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
    // Called after each change, outside the hub's lock; set before anything publishes.
    void SetListener(std::function<void()> listener) { Listener = std::move(listener); }

private:
    mutable std::mutex Mutex;
    TStateSnapshot State{false, {}, 1};
    std::function<void()> Listener;

    void Changed() const {
        if (Listener)
            Listener();
    }
};
