// A thread that keeps the state hub current: it holds a `watch` connection to Kadrant (pushed on
// every change of line 1 or of the running state), asks `state` once a second besides (the line
// state and the function are not pushed), and reconnects by itself when Kadrant restarts. Linux's
// in TStateWatcher.cpp; Windows' pipe has no `watch`, so there (TStateWatcherWindows.cpp) it asks
// `state` alone, more often.
#pragma once

#include "tools/remote/TStateHub.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

class TStateWatcher {
public:
    TStateWatcher(std::string socketPath, TStateHub& hub,
                  std::chrono::milliseconds retry = std::chrono::milliseconds(500),
                  std::chrono::milliseconds poll = std::chrono::milliseconds(1000));
    ~TStateWatcher();
    TStateWatcher(const TStateWatcher&) = delete;
    TStateWatcher& operator=(const TStateWatcher&) = delete;

    bool Start();
    void Stop();

private:
    std::string SocketPath;
    TStateHub& Hub;
    std::chrono::milliseconds Retry;
    std::chrono::milliseconds Poll;
    struct TWake; // how Stop reaches the thread in its waits
    std::unique_ptr<TWake> Wake;
    std::atomic<bool> Stopping{false};
    std::thread Thread;

    void Run();
    void WatchOnce(int fd);
    bool Sleep(std::chrono::milliseconds duration); // false when told to stop
};
