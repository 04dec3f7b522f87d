#include "tools/boardsim/TBoardSession.h"

std::vector<TBoardEvent> TBoardSession::Receive(const char* data, size_t size, long long nowMs) {
    LastByteMs = nowMs;
    std::vector<TBoardEvent> events = Parser.Feed(data, size);
    Take(events);
    return events;
}

std::vector<TBoardEvent> TBoardSession::Idle(long long nowMs) {
    if (!Parser.HasPartial() || nowMs - LastByteMs < QuietMs)
        return {};
    std::vector<TBoardEvent> events = Parser.Flush();
    Take(events);
    return events;
}

void TBoardSession::Take(const std::vector<TBoardEvent>& events) {
    for (const TBoardEvent& event : events) {
        Board.Apply(event);
        Log.Write(event);
    }
}
