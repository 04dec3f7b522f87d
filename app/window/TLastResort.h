// The stop's last resort: once started, it ends the process after a grace, as the stop signal
// would have (status 128 + SIGTERM), unless the program reaches its normal end first. It waits on
// its own thread, which End wakes and joins.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class TLastResort {
public:
    using TFire = std::function<void()>;

    // fire ends the process; tests pass one of their own.
    explicit TLastResort(TFire fire = ExitAsStopped);
    ~TLastResort(); // End
    TLastResort(const TLastResort&) = delete;
    TLastResort& operator=(const TLastResort&) = delete;

    // The grace starts now; a second call changes nothing.
    void Start(std::chrono::milliseconds grace);
    // The normal end: the last resort never fires from now on.
    void End();

    [[noreturn]] static void ExitAsStopped();

private:
    TFire Fire;
    std::mutex Mutex;
    std::condition_variable Ended;
    bool Over = false;
    std::thread Thread;
};
