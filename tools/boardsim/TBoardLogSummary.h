// The figures an operator looks at first after an event: how many messages, how many malformed,
// when the first and last came and the longest silence between two of them.
#pragma once

#include "tools/boardsim/TBoardLogReader.h"

#include <string>
#include <vector>

struct TBoardLogSummary {
    int Messages = 0;   // well-formed
    int Malformed = 0;  // recorded as malformed on the wire
    int Damaged = 0;    // log lines that could not be read
    int Recordings = 0; // the monotonic clock starts over when a new run appends to the file
    std::string FirstTime;
    std::string LastTime;
    long long LargestGapMs = -1; // -1 with fewer than two messages in one recording
    std::string GapFrom;
    std::string GapTo;

    static TBoardLogSummary Of(const std::vector<TLogEntry>& entries);
    std::string Text() const;
};
