#include "scoreboard/TScbThread.h"

#include "scoreboard/TScbDriver.h"

#include <chrono>
#include <cstring>

TScbThread::TScbThread(TScbDriver& owner)
    : Owner(owner), Queue(std::make_unique<char[]>(QueueSize)) {}

TScbThread::~TScbThread() {
    RequestStop();
    Join();
}

void TScbThread::Start() {
    if (!Worker.joinable())
        Worker = std::thread([this] { Run(); });
}

void TScbThread::RequestStop() {
    {
        std::lock_guard<std::mutex> lock(StopMutex);
        StopRequested = true;
    }
    StopSignal.notify_all();
}

void TScbThread::Poke() {
    {
        std::lock_guard<std::mutex> lock(StopMutex);
        Poked = true;
    }
    StopSignal.notify_all();
}

void TScbThread::Join() {
    if (Worker.joinable())
        Worker.join();
}

int TScbThread::Append(const char* text) {
    size_t length = std::strlen(text);
    if (length == 0 || length > MaxMessageLength)
        return 0;
    uint64_t state = Positions.load(std::memory_order_acquire);
    if (ReadOf(state) == WriteOf(state)) {
        // Everything queued has been sent, so the consumer is idle: start again at 0.
        Positions.compare_exchange_strong(state, 0, std::memory_order_acq_rel);
        state = Positions.load(std::memory_order_acquire);
    }
    uint32_t write = WriteOf(state);
    if (length >= QueueSize - write)
        return 0;
    std::memcpy(Queue.get() + write, text, length + 1);
    // Release: the bytes are visible before the advanced write position is.
    Positions.fetch_add((length + 1) * WriteUnit, std::memory_order_release);
    return 1;
}

void TScbThread::SendPending() {
    for (;;) {
        uint64_t state = Positions.load(std::memory_order_acquire);
        uint32_t read = ReadOf(state);
        if (read >= WriteOf(state))
            break;
        size_t length = std::strlen(Queue.get() + read);
        std::memcpy(CurrentMessage, Queue.get() + read, length + 1);
        SendMessage(CurrentMessage);
        // Release: the producer's reset only reuses bytes once we are done with them.
        Positions.fetch_add(length + 1, std::memory_order_acq_rel);
    }
}

void TScbThread::SkipQueued() {
    uint64_t state = Positions.load(std::memory_order_acquire);
    // Read catches up with write; the producer's reset only happens once they are equal.
    while (!Positions.compare_exchange_weak(state, (state & ~uint64_t{0xffffffff}) | WriteOf(state),
                                            std::memory_order_acq_rel))
        ;
}

// Polls rather than try_lock_for: that one waits in pthread_mutex_clocklock, which this
// toolchain's ThreadSanitizer does not see, and the lock is all but never contended anyway.
static bool LockWithin(std::timed_mutex& lock, int waitMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (!lock.try_lock()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void TScbThread::SendMessage(const char* message) {
    std::timed_mutex& lineLock = Owner.LineLock();
    bool locked = LockWithin(lineLock, LineLockWaitMs);
    Owner.WriteText(message);
    if (locked)
        lineLock.unlock();
}

void TScbThread::AlignLooks(Clock::time_point tick) {
    AlignedTick.store(tick.time_since_epoch().count(), std::memory_order_relaxed);
}

TScbThread::Clock::time_point TScbThread::NextLook(Clock::time_point last, Clock::time_point now,
                                                   Clock::duration period,
                                                   std::optional<Clock::time_point> tick) {
    if (period <= Clock::duration::zero())
        return now; // no pacing: look again at once
    Clock::time_point next = last + period;
    if (tick) {
        // How far the planned look lies after the last place on the tick's grid.
        Clock::duration after = (next - (*tick + LookLag)) % period;
        if (after < Clock::duration::zero())
            after += period;
        if (after > LookSlack)
            next += period - after;
    }
    if (next <= now)
        next += ((now - next) / period + 1) * period;
    return next;
}

void TScbThread::Run() {
    const auto period = std::chrono::milliseconds(Owner.GetPacingPeriod());
    // The tick place handed over by AlignLooks since the last look, if any.
    const auto takeTick = [this]() -> std::optional<Clock::time_point> {
        const Clock::rep tick = AlignedTick.exchange(NoTick, std::memory_order_relaxed);
        if (tick == NoTick)
            return std::nullopt;
        return Clock::time_point(Clock::duration(tick));
    };
    // Looks at a fixed rate rather than a fixed sleep after each send: the delay from a counted
    // second to its message on the line then stays the same from one second to the next instead
    // of sliding by the time each send takes. Their phase follows the window's tick.
    auto wake = NextLook(Clock::now(), Clock::now(), period, takeTick());
    Clock::time_point pokeAllowed{};
    for (;;) {
        bool poked = false;
        if (!WaitForLook(wake, pokeAllowed, poked))
            return;
        if (poked)
            pokeAllowed = Clock::now() + PokeGap;
        Owner.KeepLineAlive(poked);
        if (Clock::now() < wake)
            continue; // a poke between two looks: the looks keep their times
        SendPending();
        // A tail that the line could not take last time goes out now, without waiting.
        if (Owner.PendingBytes() > 0) {
            std::lock_guard<std::timed_mutex> lock(Owner.LineLock());
            Owner.WritePending();
        }
        wake = NextLook(wake, Clock::now(), period, takeTick());
    }
}

bool TScbThread::WaitForLook(Clock::time_point look, Clock::time_point& pokeAllowed, bool& poked) {
    std::unique_lock<std::mutex> lock(StopMutex);
    for (;;) {
        if (StopRequested)
            return false;
        const Clock::time_point now = Clock::now();
        if (Poked && now >= pokeAllowed) {
            Poked = false;
            poked = true;
            return true;
        }
        if (now >= look)
            return true;
        StopSignal.wait_until(lock, Poked ? std::min(look, pokeAllowed) : look);
    }
}

int TScbThread::WritePosition() const {
    return static_cast<int>(WriteOf(Positions.load(std::memory_order_acquire)));
}

int TScbThread::ReadPosition() const {
    return static_cast<int>(ReadOf(Positions.load(std::memory_order_acquire)));
}
