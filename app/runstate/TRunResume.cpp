#include "app/runstate/TRunResume.h"

#include "app/settings/SettingsRecord.h"
#include "app/timing/TTimingFunctions.h"

#include <algorithm>

namespace {

int32_t Wrapped(int64_t value, int32_t limit) {
    return static_cast<int32_t>(value >= limit ? value % limit : value);
}

void CountUp(const TRunState& saved, int64_t seconds, TResumedRun& run) {
    const int32_t unit = SecondsPerUnit(saved.displayType);
    if (saved.displayType == DisplayHhmmss) {
        run.count = Wrapped(saved.count + seconds, HhmmssSecondsLimit);
    } else if (saved.displayType == DisplaySeconds) {
        run.count = Wrapped(saved.count + seconds, NineDigitLimit);
    } else if (unit > 0) {
        const int64_t total = saved.unitSeconds + seconds;
        run.count = Wrapped(saved.count + total / unit, NineDigitLimit);
        run.unitSeconds = static_cast<int32_t>(total % unit);
    } // "Horloge PC" shows the local time: nothing to count
}

// The loop's restart, as RESET and START make it: the other start time when there is one.
void RestartLoop(const TRunState& saved, TResumedRun& run) {
    if (saved.secondStartTime != 0 && ++run.startSelector > 2)
        run.startSelector = 1;
    if (saved.displayType >= DisplaySeconds)
        run.count = saved.startNumber;
    else if (run.startSelector == 2 && saved.secondStartTime != 0)
        run.count = saved.secondStartTime / 1000;
    else
        run.count = saved.startTime / 1000;
    run.unitSeconds = 0;
    run.testStep = 0;
    run.lapNumber = saved.initialNumber;
    run.loopPending = false;
    run.running = run.count > 0; // a count-down from zero does not start
}

void CountDown(const TRunState& saved, int64_t seconds, TResumedRun& run) {
    const bool bySecond = saved.displayType == DisplayHhmmss || saved.displayType == DisplaySeconds;
    const int32_t unit = bySecond ? 1 : SecondsPerUnit(saved.displayType);
    if (unit == 0)
        return; // "Horloge PC" counts nothing down
    // Each pass ends a run at zero or a loop's restart, so the passes are at most two a second.
    while (seconds > 0 && run.running) {
        if (run.loopPending) {
            --seconds; // the restart takes its second
            RestartLoop(saved, run);
            continue;
        }
        // Counting by the second leaves unitSeconds alone.
        const int64_t into = bySecond ? 0 : run.unitSeconds;
        const int64_t toZero = std::max<int64_t>(0, static_cast<int64_t>(run.count) * unit - into);
        if (seconds < toZero) {
            run.count -= static_cast<int32_t>((into + seconds) / unit);
            if (!bySecond)
                run.unitSeconds = static_cast<int32_t>((into + seconds) % unit);
            return;
        }
        seconds -= toZero;
        run.count = 0;
        run.unitSeconds = 0;
        if (saved.inLoop) {
            run.loopPending = true;
        } else {
            run.running = false;
            run.ranOut = true;
        }
    }
}

} // namespace

TRunVerdict JudgeRunState(const TRunState& saved, int32_t recordFunction, int64_t nowMs) {
    if (saved.clean)
        return TRunVerdict::Clean;
    if (saved.savedMs > nowMs || (saved.running && saved.anchorMs > nowMs))
        return TRunVerdict::Future;
    if (nowMs - saved.savedMs > RunStateMaxAgeMs)
        return TRunVerdict::TooOld;
    if (saved.functionCode != recordFunction)
        return TRunVerdict::OtherFunction;
    return TRunVerdict::Resume;
}

const char* RunVerdictText(TRunVerdict verdict) {
    switch (verdict) {
    case TRunVerdict::Resume:
        return "to be resumed";
    case TRunVerdict::Clean:
        return "from a clean close";
    case TRunVerdict::Future:
        return "from the future (the clock went back)";
    case TRunVerdict::TooOld:
        return "more than 48 hours old";
    case TRunVerdict::OtherFunction:
        return "for another function than config.dat's";
    }
    return "";
}

TResumedRun ResumeRun(const TRunState& saved, int64_t nowMs) {
    TResumedRun run;
    run.running = saved.running;
    run.count = saved.count;
    run.unitSeconds = saved.unitSeconds;
    run.testStep = saved.testStep;
    run.startSelector = saved.startSelector;
    run.loopPending = saved.loopPending;
    run.lapNumber = saved.lapNumber;
    if (!saved.running)
        return run;
    const int64_t elapsed = std::max<int64_t>(0, nowMs - saved.anchorMs);
    const int64_t seconds = elapsed / 1000;
    run.msIntoSecond = static_cast<uint32_t>(elapsed % 1000);
    switch (saved.functionCode) {
    case FunctionCountUp:
        CountUp(saved, seconds, run);
        break;
    case FunctionCountDown:
        CountDown(saved, seconds, run);
        break;
    case FunctionTest:
        run.testStep = static_cast<int32_t>((saved.testStep + seconds) % 10);
        break;
    default:
        break;
    }
    return run;
}
