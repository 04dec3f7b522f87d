// The sending thread and its transmission queue. The window's thread appends messages (Append,
// through the driver's QueueText) and never waits; this thread wakes once per pacing period and
// writes everything queued, in order, under the line lock.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

class TScbDriver;

class TScbThread {
public:
    using Clock = std::chrono::steady_clock;

    static constexpr int QueueSize = 20000;
    static constexpr int MessageBufferSize = 512;
    static constexpr int MaxMessageLength = 510;
    static constexpr int LineLockWaitMs = 10000;
    // Looks fall this long after the window's ticks, once their place is known: time enough for
    // a tick to queue its text. A look up to LookSlack later than that is left where it is.
    static constexpr std::chrono::milliseconds LookLag{15};
    static constexpr std::chrono::milliseconds LookSlack{5};
    // A poke is acted on at once, but no sooner than this after the last one acted on: a flood
    // of device events makes no burst of opens.
    static constexpr std::chrono::milliseconds PokeGap{50};

    explicit TScbThread(TScbDriver& owner);
    ~TScbThread(); // stops and joins a thread still running
    TScbThread(const TScbThread&) = delete;
    TScbThread& operator=(const TScbThread&) = delete;

    void Start();
    void RequestStop();
    // Any thread: the owner's line is looked at soon, outside the looks at the queue, whose
    // times stay as they are.
    void Poke();
    void Join();
    bool IsRunning() const { return Worker.joinable(); }

    // Producer side, one thread only. Copies the text with its NUL; 1 when queued, 0 when it is
    // empty, longer than a message may be, or does not fit in the rest of the queue.
    int Append(const char* text);
    // Consumer side: sends every message queued so far. Run calls it once per pacing period.
    void SendPending();
    // Consumer side: drops everything queued so far unsent (a reopened line is brought up to
    // date by other means).
    void SkipQueued();

    int WritePosition() const;
    int ReadPosition() const;

    // The window's ticks fall at tick + k x 100 ms: the looks follow, LookLag after them, from
    // the look after next. Any thread may call it.
    void AlignLooks(Clock::time_point tick);

    // The look after the one planned for `last`: one period later, moved later (never earlier)
    // onto the grid LookLag after `tick` when there is one, and past `now` on that grid when the
    // thread fell behind, so that it never makes a burst of looks.
    static Clock::time_point NextLook(Clock::time_point last, Clock::time_point now,
                                      Clock::duration period,
                                      std::optional<Clock::time_point> tick);

private:
    void Run();
    // Waits for the planned look or a poke to act on; false when a stop was requested.
    bool WaitForLook(Clock::time_point look, Clock::time_point& pokeAllowed, bool& poked);
    void SendMessage(const char* message);

    // Both positions in one word (write in the high half, read in the low half) so that each
    // step, the empty-queue reset included, is one atomic operation and none can interleave.
    static constexpr uint64_t WriteUnit = uint64_t{1} << 32;
    static uint32_t ReadOf(uint64_t state) { return static_cast<uint32_t>(state); }
    static uint32_t WriteOf(uint64_t state) { return static_cast<uint32_t>(state >> 32); }

    TScbDriver& Owner;
    std::unique_ptr<char[]> Queue;
    std::atomic<uint64_t> Positions{0};
    // The last tick place handed to AlignLooks and not yet taken by Run, or NoTick.
    static constexpr Clock::rep NoTick = INT64_MIN;
    std::atomic<Clock::rep> AlignedTick{NoTick};
    char CurrentMessage[MessageBufferSize] = {};

    std::thread Worker;
    std::mutex StopMutex;
    std::condition_variable StopSignal;
    bool StopRequested = false;
    bool Poked = false;
};
