#include "app/window/TSignalledWorker.h"

TSignalledWorker::~TSignalledWorker() {
    Stop();
}

void TSignalledWorker::Start() {
    if (Thread.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(Mutex);
        Stopping = false;
    }
    Thread = std::thread([this] { Run(); });
}

void TSignalledWorker::Stop() {
    if (!Thread.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(Mutex);
        Stopping = true;
    }
    Wake.notify_one();
    Thread.join();
}

void TSignalledWorker::Signal() {
    {
        std::lock_guard<std::mutex> lock(Mutex);
        Pending = true;
    }
    Wake.notify_one();
}

void TSignalledWorker::SetJob(TJob job) {
    std::lock_guard<std::mutex> passing(Passing);
    Job = std::move(job);
}

void TSignalledWorker::Run() {
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(Mutex);
            Wake.wait(lock, [this] { return Pending || Stopping; });
            if (Stopping)
                return;
            // Cleared before the pass: a signal from now on asks for one more.
            Pending = false;
        }
        std::lock_guard<std::mutex> passing(Passing);
        if (Job)
            Job();
    }
}
