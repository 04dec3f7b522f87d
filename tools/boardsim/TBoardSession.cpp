#include "tools/boardsim/TBoardSession.h"

#include <cerrno>
#include <unistd.h>

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

bool TBoardSession::ReadFrom(int fd, std::vector<TBoardEvent>& events, long long nowMs) {
    char chunk[4096];
    for (;;) {
        ssize_t n = read(fd, chunk, sizeof chunk);
        if (n > 0) {
            std::vector<TBoardEvent> more = Receive(chunk, static_cast<size_t>(n), nowMs);
            events.insert(events.end(), more.begin(), more.end());
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
}

void TBoardSession::Take(const std::vector<TBoardEvent>& events) {
    for (const TBoardEvent& event : events) {
        Board.Apply(event);
        Log.Write(event);
    }
}
