// One line per received message, appended and flushed at once so that a reader sees it at once:
// "<monotonic ms> <local wall clock> L<n> |<nine characters>|" or
// "<monotonic ms> <local wall clock> MALFORMED <problem> |<escaped bytes>|".
#pragma once

#include "tools/boardsim/TBoardMessageParser.h"

#include <cstdio>
#include <string>

class TBoardLog {
public:
    TBoardLog() = default;
    ~TBoardLog();
    TBoardLog(const TBoardLog&) = delete;
    TBoardLog& operator=(const TBoardLog&) = delete;

    bool Open(const std::string& path);
    bool IsOpen() const { return File != nullptr; }
    void Write(const TBoardEvent& event);
    void Write(const TBoardEvent& event, long long monotonicMs, const std::string& wallClock);

    static std::string Format(const TBoardEvent& event, long long monotonicMs,
                              const std::string& wallClock);
    static long long MonotonicMs();
    static std::string WallClock(); // YYYY-MM-DDTHH:MM:SS.mmm, local time

private:
    FILE* File = nullptr;
};
