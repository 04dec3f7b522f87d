#include "tools/boardsim/TBoardReplay.h"

#include <cmath>
#include <utility>

TBoardReplay::TBoardReplay(std::vector<TLogEntry> entries, double speed)
    : Entries(std::move(entries)), Speed(speed > 0 ? speed : 1.0) {}

long long TBoardReplay::DelayMs() const {
    if (Done() || !HaveLastMs || Entries[Next].Damaged)
        return 0;
    long long gap = Entries[Next].Ms - LastMs;
    if (gap <= 0)
        return 0;
    return std::llround(static_cast<double>(gap) / Speed);
}

const TLogEntry& TBoardReplay::Step() {
    const TLogEntry& entry = Entries[Next++];
    Changed = false;
    if (!entry.Damaged) {
        Changed = Board.Apply(entry.Event);
        HaveLastMs = true;
        LastMs = entry.Ms;
    }
    return entry;
}
