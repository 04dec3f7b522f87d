// The scoreboard driver: the serial line plus what depends on the board (board code, line count,
// pacing period) and the sending thread that it owns from Open to Close.
#pragma once

#include "scoreboard/TScbThread.h"
#include "serial/TSerial.h"

#include <chrono>
#include <memory>
#include <optional>

class TScbDriver : public TSerial {
public:
    static constexpr int BoardNone = 0;
    static constexpr int BoardLineMessage = 11; // nine lines, 17-byte line messages at 9600 8N1

    TScbDriver() = default;
    ~TScbDriver(); // stops the sending thread and releases the port

    // Only on a closed driver. Board 0 keeps the line parameters recorded before.
    void Setup(int boardCode, int portCode);
    // Board 0: 0, nothing opened. Board 11: starts the sending thread even when the port fails,
    // and returns the port's result.
    int Open();
    // Stops and joins the sending thread, then closes the port; 1 when a port was open.
    int Close();

    void Clear();                                 // blanks every line
    void SetLineText(int line, const char* text); // line 1..line count
    // Hands one message to the sending thread and returns at once. Board 11 turns every '-' of
    // the caller's text into 'A' (the board has no minus sign).
    void QueueText(char* text);
    // The window's ticks fall at tick + k x 100 ms: the sending thread's looks follow them, now
    // and in a thread started later by Open.
    void AlignLooks(std::chrono::steady_clock::time_point tick);

    int GetBoardCode() const { return BoardCode; }
    int GetLineCount() const { return LineCount; }
    int GetPacingPeriod() const { return PacingPeriod; }
    bool HasThread() const { return Thread != nullptr; }
    TScbThread* SendingThread() const { return Thread.get(); }

protected:
    int LineCount = 1;
    int PacingPeriod = 100; // ms between two looks at the queue
    int BoardCode = BoardNone;
    std::unique_ptr<TScbThread> Thread;
    std::optional<std::chrono::steady_clock::time_point> TickPlace;
};
