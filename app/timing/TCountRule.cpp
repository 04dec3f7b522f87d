#include "app/timing/TCountRule.h"

#include "scoreboard/TTemps.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Largest count of seconds whose milliseconds still fit a signed 32-bit value.
constexpr int32_t MaxSecondsAsMs = INT32_MAX / 1000;

// value + seconds on an odometer that rolls over to 0 at limit; computed wide so that a stored
// value near INT32_MAX cannot overflow.
int32_t OnOdometer(int32_t value, int64_t seconds, int32_t limit) {
    const int64_t next = static_cast<int64_t>(value) + seconds;
    return static_cast<int32_t>(next >= limit ? next % limit : next);
}

// The seconds already counted within the unit; a unit already full (only from a damaged state)
// completes at the next second, as counting one second at a time does.
int64_t IntoUnit(const TTimingState& state, int32_t unit) {
    return std::min<int64_t>(state.unitSeconds, unit - 1);
}

void CountUp(const TSettingsRecord& settings, TTimingState& state, int64_t seconds) {
    const int32_t unit = SecondsPerUnit(settings.displayType);
    if (settings.displayType == DisplayHhmmss) {
        state.count = OnOdometer(state.count, seconds, HhmmssSecondsLimit);
    } else if (settings.displayType == DisplaySeconds) {
        state.count = OnOdometer(state.count, seconds, NineDigitLimit);
    } else if (unit > 0) {
        const int64_t total = IntoUnit(state, unit) + seconds;
        state.count = OnOdometer(state.count, total / unit, NineDigitLimit);
        state.unitSeconds = static_cast<int32_t>(total % unit);
    } // "Horloge PC" shows the local time: nothing to count
}

// The loop's restart, as RESET and START make it: the other start time when there is one.
void RestartLoop(TSettingsRecord& settings, TTimingState& state) {
    if (settings.secondStartTime != 0 && ++state.startSelector > 2)
        state.startSelector = 1;
    state.count = ResetCount(settings, state.startSelector);
    state.unitSeconds = 0;
    state.testStep = 0;
    settings.lapNumber = settings.initialNumber;
    state.loopPending = false;
    state.running = CountDownStarts(settings.displayType, state.count);
}

void ReachZero(const TSettingsRecord& settings, TTimingState& state) {
    state.count = 0;
    state.unitSeconds = 0;
    if (settings.inLoop)
        state.loopPending = true; // the restart takes the next second
    else
        state.running = false;
}

TCounted CountDown(TSettingsRecord& settings, TTimingState& state, int64_t seconds) {
    TCounted counted;
    const bool bySecond =
        settings.displayType == DisplayHhmmss || settings.displayType == DisplaySeconds;
    const int32_t unit = bySecond ? 1 : SecondsPerUnit(settings.displayType);
    if (unit == 0)
        return counted; // "Horloge PC" counts nothing down
    // Each pass ends at zero, at a loop's restart or with the seconds: at most two passes a
    // second. The bound holds even for a state this rule does not foresee.
    const int64_t passes = 2 * seconds + 2;
    for (int64_t pass = 0; pass < passes && seconds > 0 && state.running; ++pass) {
        counted = {};
        if (state.loopPending) {
            --seconds; // the restart takes its second
            RestartLoop(settings, state);
            counted.restarted = true;
            if (!state.running) { // a restart at zero is at once a zero
                ReachZero(settings, state);
                counted.reachedZero = true;
            }
            continue;
        }
        // Counting by the second leaves unitSeconds alone.
        const int64_t into = bySecond ? 0 : IntoUnit(state, unit);
        const int64_t toZero =
            std::max<int64_t>(0, static_cast<int64_t>(state.count) * unit - into);
        if (seconds < toZero) {
            state.count -= static_cast<int32_t>((into + seconds) / unit);
            if (!bySecond)
                state.unitSeconds = static_cast<int32_t>((into + seconds) % unit);
            return counted;
        }
        seconds -= toZero;
        ReachZero(settings, state);
        counted.reachedZero = true;
    }
    return counted;
}

} // namespace

TCounted CountSeconds(TSettingsRecord& settings, TTimingState& state, int64_t seconds) {
    if (!state.running || seconds <= 0)
        return {};
    switch (settings.functionCode) {
    case FunctionCountUp:
        CountUp(settings, state, seconds);
        break;
    case FunctionCountDown:
        return CountDown(settings, state, seconds);
    case FunctionTest:
        state.testStep = static_cast<int32_t>((state.testStep + seconds) % 10);
        break;
    default:
        break;
    }
    return {};
}

int32_t ResetCount(const TSettingsRecord& settings, int32_t startSelector) {
    if (settings.displayType >= DisplaySeconds)
        return settings.startNumber;
    if (startSelector == 2 && settings.secondStartTime != 0)
        return settings.secondStartTime / 1000;
    return settings.startTime / 1000;
}

bool CountDownStarts(int32_t displayType, int32_t count) {
    return CountValue(displayType, count) != 0 && count > 0;
}

int32_t CountValue(int32_t displayType, int32_t count) {
    if (displayType != DisplayHhmmss)
        return LastNineDigits(count);
    if (count >= -MaxSecondsAsMs && count <= MaxSecondsAsMs) {
        TTemps temps;
        const int32_t ms = count * 1000;
        return temps.Hours(ms) * 10000 + temps.Minutes(ms) * 100 + temps.Seconds(ms);
    }
    // Beyond 596:31:23 the milliseconds leave 32 bits: split the seconds themselves, and keep
    // the last five digits of the hours so the value still fits the nine digits.
    const int64_t magnitude = std::llabs(static_cast<int64_t>(count));
    const int64_t hours = magnitude / 3600;
    return LastNineDigits(hours * 10000 + (magnitude / 60 % 60) * 100 + magnitude % 60);
}
