// A thread that does one job whenever it is signalled. Signals are coalesced: any number of them
// while the thread waits give one pass, and one or more while a pass runs give exactly one pass
// more, so a burst costs a pass or two and the last signal is never left unanswered. Signal never
// waits for a pass: a watch's thread can call it and go back to its watching at once.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class TSignalledWorker {
public:
    using TJob = std::function<void()>;

    TSignalledWorker() = default;
    ~TSignalledWorker(); // stops the thread
    TSignalledWorker(const TSignalledWorker&) = delete;
    TSignalledWorker& operator=(const TSignalledWorker&) = delete;

    void Start();
    // A pass that runs is finished first; signals still waiting are dropped.
    void Stop();
    // Any thread.
    void Signal();
    // Once it returns, the previous job is not running and is never called again. Any thread but
    // the worker's own.
    void SetJob(TJob job);

private:
    void Run();

    std::mutex Mutex; // Pending, Stopping
    std::condition_variable Wake;
    bool Pending = false;
    bool Stopping = false;
    std::mutex Passing; // held while a pass runs, and for changing Job
    TJob Job;
    std::thread Thread;
};
