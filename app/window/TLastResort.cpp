#include "app/window/TLastResort.h"

#include <csignal>
#include <cstdlib>

TLastResort::TLastResort(TFire fire) : Fire(std::move(fire)) {}

TLastResort::~TLastResort() {
    End();
}

void TLastResort::Start(std::chrono::milliseconds grace) {
    if (Thread.joinable())
        return;
    Thread = std::thread([this, grace] {
        std::unique_lock<std::mutex> lock(Mutex);
        if (Ended.wait_for(lock, grace, [this] { return Over; }))
            return;
        lock.unlock();
        Fire();
    });
}

void TLastResort::End() {
    {
        std::lock_guard<std::mutex> lock(Mutex);
        Over = true;
    }
    Ended.notify_one();
    if (Thread.joinable())
        Thread.join();
}

void TLastResort::ExitAsStopped() {
    // Whatever holds the program may hold locks that exit's handlers would need.
    std::_Exit(128 + SIGTERM);
}
