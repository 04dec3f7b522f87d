// The rule of the counted seconds: what count-up, count-down with its loop and the test pattern
// do to a run over any number of seconds. The window's tick applies it to each second it counts,
// and the take-back after an unclean end to all the seconds the program was not running, so that
// both count alike. Plain arithmetic on the record and the timing state: nothing is shown here.
#pragma once

#include "app/settings/SettingsRecord.h"
#include "app/timing/TTimingFunctions.h"

#include <cstdint>

// What the last of the seconds counted did, for the tick that shows it.
struct TCounted {
    bool restarted = false;   // a loop's restart: the start value is shown as RESET and START do
    bool reachedZero = false; // a count-down reached zero: the sound, then a stop or the loop
};

// Counts seconds more of a running count in state (a stopped one stays as it is). A loop's
// restart takes its own second and the initial lap number again (settings.lapNumber).
TCounted CountSeconds(TSettingsRecord& settings, TTimingState& state, int64_t seconds);

// The count RESET gives: the start number, or the start time chosen by the selector.
int32_t ResetCount(const TSettingsRecord& settings, int32_t startSelector);

// Whether a count-down from count may start: not from zero, nor from a (corrupt) negative count,
// which would never reach zero.
bool CountDownStarts(int32_t displayType, int32_t count);

// The value shown for a count: hours, minutes and seconds for "hhmmss", else its last nine
// digits.
int32_t CountValue(int32_t displayType, int32_t count);
