#include "tools/remote/TWorkQueue.h"

#include <optional>

TWorkQueue::TWorkQueue(std::size_t bound, std::chrono::milliseconds tick,
                       std::function<void()> onTick)
    : Bound(bound), Tick(tick), OnTick(std::move(onTick)) {}

TWorkQueue::~TWorkQueue() {
    Stop();
}

void TWorkQueue::Start() {
    Worker = std::thread([this] { Work(); });
}

bool TWorkQueue::Post(TJob job) {
    {
        std::lock_guard<std::mutex> lock(Mutex);
        if (Stopping || Jobs.size() >= Bound)
            return false;
        Jobs.push_back(std::move(job));
    }
    Ready.notify_one();
    return true;
}

void TWorkQueue::Stop() {
    {
        std::lock_guard<std::mutex> lock(Mutex);
        Stopping = true;
    }
    Ready.notify_all();
    if (Worker.joinable())
        Worker.join();
    std::deque<TJob> left;
    {
        std::lock_guard<std::mutex> lock(Mutex);
        left.swap(Jobs);
    }
    for (TJob& job : left)
        job.Cancel();
}

void TWorkQueue::Work() {
    auto nextTick = std::chrono::steady_clock::now() + Tick;
    for (;;) {
        std::optional<TJob> job;
        {
            std::unique_lock<std::mutex> lock(Mutex);
            Ready.wait_until(lock, nextTick, [this] { return Stopping || !Jobs.empty(); });
            if (Stopping)
                return;
            if (!Jobs.empty()) {
                job = std::move(Jobs.front());
                Jobs.pop_front();
            }
        }
        if (job)
            job->Run();
        // Also between jobs that keep coming.
        if (std::chrono::steady_clock::now() >= nextTick) {
            OnTick();
            nextTick = std::chrono::steady_clock::now() + Tick;
        }
    }
}
