// One worker thread for work that may wait (a command waits up to 2 s for Kadrant), fed from a
// bounded queue, and a tick now and then for whatever must be looked at again. Nothing ever waits
// to get in: a full queue says no at once.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class TWorkQueue {
public:
    struct TJob {
        std::function<void()> Run;
        std::function<void()> Cancel; // instead of Run, when the queue stops first
    };

    TWorkQueue(std::size_t bound, std::chrono::milliseconds tick, std::function<void()> onTick);
    ~TWorkQueue();
    TWorkQueue(const TWorkQueue&) = delete;
    TWorkQueue& operator=(const TWorkQueue&) = delete;

    void Start();
    // False when the queue is full or stopping: the job was not taken.
    bool Post(TJob job);
    // The running job finishes, the waiting ones are cancelled; then the thread ends.
    void Stop();

private:
    std::size_t Bound;
    std::chrono::milliseconds Tick;
    std::function<void()> OnTick;
    std::mutex Mutex;
    std::condition_variable Ready;
    std::deque<TJob> Jobs;
    bool Stopping = false;
    std::thread Worker;

    void Work();
};
