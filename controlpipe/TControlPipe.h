// The control channel's transport on Windows: a named pipe that only the current user may open
// (a security descriptor naming the user's SID alone) and no other machine (remote clients are
// rejected), speaking control/'s lines. It serves on a thread of its own, one client at a time;
// the handler runs on that thread. While another program holds the name, it tries to take it
// once a second, so that a second Kadrant takes the channel over when the first one ends.
#pragma once

#include "control/RemoteCommand.h"

#include <atomic>
#include <functional>
#include <string>
#include <thread>

class TControlPipe {
public:
    // The answer line, without its LF, to one command (a refused one included).
    using THandler = std::function<std::string(const TRemoteCommand& command)>;
    static constexpr int RetryPeriodMs = 1000;

    TControlPipe(std::string name, THandler handler);
    ~TControlPipe(); // Close
    TControlPipe(const TControlPipe&) = delete;
    TControlPipe& operator=(const TControlPipe&) = delete;

    // Starts serving; false (one line on stderr) when another program holds the name now: the
    // pipe then keeps trying to take it.
    bool Listen();
    // Stops serving and lets the name go.
    void Close();
    bool IsListening() const { return Holding.load(); }

private:
    void Run();
    bool TakeName();
    void Serve();

    std::string Name;
    THandler Handler;
    void* Pipe = nullptr; // a HANDLE, touched by the serving thread only once it runs
    void* StopEvent = nullptr;
    std::atomic<bool> Holding{false};
    std::thread Thread;
};
