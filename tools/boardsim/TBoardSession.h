// Everything the simulator does with received bytes, apart from showing them: cut them into
// messages, update the board, write the log. The window and the headless loop both drive it, on
// either platform: the bytes come from the platform's line (BoardSimLive.h).
#pragma once

#include "tools/boardsim/TBoardLines.h"
#include "tools/boardsim/TBoardLog.h"
#include "tools/boardsim/TBoardMessageParser.h"

#include <vector>

class TBoardSession {
public:
    static constexpr long long QuietMs = 500; // a fragment this old lost its end

    std::vector<TBoardEvent> Receive(const char* data, size_t size, long long nowMs);
    // Called now and then: flags a fragment that has waited too long.
    std::vector<TBoardEvent> Idle(long long nowMs);

    TBoardLines Board;
    TBoardLog Log;

private:
    void Take(const std::vector<TBoardEvent>& events);
    TBoardMessageParser Parser;
    long long LastByteMs = 0;
};
