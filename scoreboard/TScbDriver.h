// The scoreboard driver: the serial line plus what depends on the board (board code, line count,
// pacing period) and the sending thread that it owns from Open to Close. While it is open on a
// real port it keeps the line alive: a port that fails or goes away is tried again about once a
// second from the sending thread, at once when a device watch sees its way change, and the board
// is put right whenever the port opens.
#pragma once

#include "scoreboard/TScbMessage.h"
#include "scoreboard/TScbThread.h"
#include "scoreboard/Tick.h"
#include "serial/TLineStatus.h"
#include "serial/TSerial.h"

class TDeviceWatch;

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>

class TScbDriver : public TSerial {
public:
    static constexpr int BoardNone = 0;
    static constexpr int BoardLineMessage = 11; // nine lines, 17-byte line messages at 9600 8N1
    static constexpr int MaxLines = 9;
    static constexpr int RetryPeriodMs = 1000;

    TScbDriver();
    ~TScbDriver(); // stops the sending thread and releases the port

    // The watch that tells the driver when the way its port's name leads changes (nullptr: none,
    // the once-a-period look alone). Only on a closed driver; the watch outlives the driver.
    void UseDeviceWatch(TDeviceWatch* watch);

    // Only on a closed driver. Board 0 keeps the line parameters recorded before.
    void Setup(int boardCode, int portCode);
    // Board 0: 0, nothing opened. Board 11: starts the sending thread even when the port fails,
    // and returns the port's result. A port that opens is caught up at once: the board's lines
    // blanked, then given what they were last set to, whatever board was set up then.
    int Open();
    // Stops and joins the sending thread, then closes the port; 1 when a port was open.
    int Close();

    void Clear();                                 // blanks every line
    void SetLineText(int line, const char* text); // line 1..line count (kept for 1..MaxLines)
    // Hands one message to the sending thread and returns at once. Board 11 turns every '-' of
    // the caller's text into 'A' (the board has no minus sign).
    void QueueText(char* text);
    // The window's ticks fall at tick + k x 100 ms: the sending thread's looks follow them, now
    // and in a thread started later by Open.
    void AlignLooks(std::chrono::steady_clock::time_point tick);

    // On the sending thread, once per look at the queue; does something about once a period,
    // and at once when `poked`: notices a device that hung up or a name that now leads
    // elsewhere, and tries a port that is not working again (at once after a hang-up: the device
    // may be back already). When the port works again the board is caught up as by Open, and
    // what was queued meanwhile is not sent twice.
    void KeepLineAlive(bool poked = false);
    // Any thread (the device watch's): something changed on the way the port's name leads; the
    // sending thread looks at the port soon (see TScbThread::PokeGap).
    void LookNow();
    // Safe from any thread.
    TLineStatus GetLineStatus() const { return Status.load(std::memory_order_acquire); }
    // Tests shorten the period; only on a closed driver.
    void SetRetryPeriod(std::chrono::milliseconds period) { RetryPeriod = period; }

    int GetBoardCode() const { return BoardCode; }
    int GetLineCount() const { return LineCount; }
    int GetPacingPeriod() const { return PacingPeriod; }
    bool HasThread() const { return Thread != nullptr; }
    TScbThread* SendingThread() const { return Thread.get(); }

protected:
    int LineCount = 1;
    int PacingPeriod = TickPeriodMs; // ms between two looks at the queue
    int BoardCode = BoardNone;
    std::unique_ptr<TScbThread> Thread;
    std::optional<std::chrono::steady_clock::time_point> TickPlace;

private:
    using Clock = std::chrono::steady_clock;

    bool TryPort();
    void FollowPort();
    void CatchUp();
    void WriteNow(const char* message);
    void SetStatus(TLineStatus status, const char* detail);

    std::atomic<TLineStatus> Status{TLineStatus::Off};
    std::chrono::milliseconds RetryPeriod{RetryPeriodMs};
    Clock::time_point NextLook{};
    bool WorkedSinceOpen = false;
    char PortLabel[64] = {};
    TDeviceWatch* Watch = nullptr;
    int WatchId = 0;
    // Guards Thread against LookNow from the watch's thread while Open and Close change it.
    std::mutex ThreadMutex;

    // What each line was last set to (whatever the board; '-' already made 'A'), and the
    // hand-over of each message to the queue: one short lock so that the catch-up and the queue
    // never both carry the same text.
    std::mutex LinesMutex;
    char LastLines[MaxLines][scbmessage::BufferSize] = {};
};
