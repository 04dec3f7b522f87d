#include "tools/boardsim/TBoardLogSummary.h"

#include <cstdio>

TBoardLogSummary TBoardLogSummary::Of(const std::vector<TLogEntry>& entries) {
    TBoardLogSummary summary;
    const TLogEntry* previous = nullptr;
    for (const TLogEntry& entry : entries) {
        if (entry.Damaged) {
            ++summary.Damaged;
            continue;
        }
        ++(entry.Event.Valid ? summary.Messages : summary.Malformed);
        if (!previous) {
            summary.FirstTime = entry.WallClock;
            summary.Recordings = 1;
        } else if (entry.Ms < previous->Ms) {
            ++summary.Recordings; // no gap across runs: their clocks do not compare
        } else if (entry.Ms - previous->Ms > summary.LargestGapMs) {
            summary.LargestGapMs = entry.Ms - previous->Ms;
            summary.GapFrom = previous->WallClock;
            summary.GapTo = entry.WallClock;
        }
        summary.LastTime = entry.WallClock;
        previous = &entry;
    }
    return summary;
}

std::string TBoardLogSummary::Text() const {
    char buffer[512];
    std::string text;
    std::snprintf(buffer, sizeof buffer, "messages: %d well-formed, %d malformed\n", Messages,
                  Malformed);
    text += buffer;
    if (Damaged > 0)
        text += "damaged log lines: " + std::to_string(Damaged) + "\n";
    if (Recordings > 1)
        text += "recordings: " + std::to_string(Recordings) + "\n";
    if (Messages + Malformed == 0)
        return text + "first: -\nlast: -\nlargest gap: -\n";
    text += "first: " + FirstTime + "\nlast: " + LastTime + "\n";
    if (LargestGapMs < 0)
        return text + "largest gap: -\n";
    std::snprintf(buffer, sizeof buffer, "largest gap: %lld.%03lld s (%s to %s)\n",
                  LargestGapMs / 1000, LargestGapMs % 1000, GapFrom.c_str(), GapTo.c_str());
    return text + buffer;
}
