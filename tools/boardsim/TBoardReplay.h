// Steps through a read-back log, entry by entry, onto a board of its own, and says how long to
// wait before each entry so that a replay keeps the recorded pace (scaled by the speed).
#pragma once

#include "tools/boardsim/TBoardLines.h"
#include "tools/boardsim/TBoardLogReader.h"

#include <vector>

class TBoardReplay {
public:
    explicit TBoardReplay(std::vector<TLogEntry> entries, double speed = 1.0);

    bool Done() const { return Next >= Entries.size(); }
    // The recorded gap to the next entry divided by the speed; 0 for the first entry, a damaged
    // line, or a clock that went back (another recording appended to the same file).
    long long DelayMs() const;
    // Applies the next entry to Board; call only when not Done().
    const TLogEntry& Step();
    bool LastChanged() const { return Changed; }

    int Position() const { return static_cast<int>(Next); }
    int Count() const { return static_cast<int>(Entries.size()); }
    const std::vector<TLogEntry>& All() const { return Entries; }

    TBoardLines Board;

private:
    std::vector<TLogEntry> Entries;
    double Speed;
    size_t Next = 0;
    bool HaveLastMs = false;
    long long LastMs = 0;
    bool Changed = false;
};
