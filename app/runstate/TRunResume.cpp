#include "app/runstate/TRunResume.h"

#include "app/settings/SettingsRecord.h"
#include "app/timing/TCountRule.h"
#include "app/timing/TTimingFunctions.h"

#include <algorithm>

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
    TResumedRun resumed;
    resumed.run = saved;
    if (!saved.running)
        return resumed;
    const int64_t elapsed = std::max<int64_t>(0, nowMs - saved.anchorMs);
    resumed.msIntoSecond = static_cast<uint32_t>(elapsed % 1000);
    TSettingsRecord settings{};
    TTimingState timing;
    ApplyRun(saved, settings, timing);
    CountSeconds(settings, timing, elapsed / 1000);
    CaptureRun(settings, timing, resumed.run);
    resumed.ranOut = saved.functionCode == FunctionCountDown && !timing.running;
    return resumed;
}
