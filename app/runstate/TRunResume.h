// Taking a saved run back: whether a run-state file may be used now, and the timing state it
// leads to after the time the program was not running, worked out second by second as the timer
// would have counted them. Plain arithmetic on wall-clock milliseconds: no clock is read here.
#pragma once

#include "app/runstate/TRunState.h"

#include <cstdint>

// A file saved longer ago than this is not taken back.
inline constexpr int64_t RunStateMaxAgeMs = 48LL * 3600 * 1000;

enum class TRunVerdict { Resume, Clean, Future, TooOld, OtherFunction };

// recordFunction: the function that the settings record holds now.
TRunVerdict JudgeRunState(const TRunState& saved, int32_t recordFunction, int64_t nowMs);

// Why a file is ignored, for the program's message: "from the future", and so on.
const char* RunVerdictText(TRunVerdict verdict);

struct TResumedRun {
    bool running = false;
    int32_t count = 0;
    int32_t unitSeconds = 0;
    int32_t testStep = 0;
    int32_t startSelector = 1;
    bool loopPending = false;
    int32_t lapNumber = 0;
    bool ranOut = false;       // a count-down reached zero (and stopped) while off: no sound now
    uint32_t msIntoSecond = 0; // how far now lies into the second being counted
};

// The state for nowMs of the run saved in saved (to be called for a file judged Resume).
TResumedRun ResumeRun(const TRunState& saved, int64_t nowMs);
