// What a running count needs to go on after an unclean end: the function and its start values,
// the timing state, the count's anchor on the wall clock and whether the program closed cleanly.
// Kept in "kadrant.run" beside "config.dat" (the 596-byte record stays as it is), as short text
// lines ending in a checksum, so that a damaged file is told from a whole one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

inline constexpr const char* RunStateFileName = "kadrant.run";

struct TRunState {
    bool clean = false;  // written by a clean close: nothing to take back
    int64_t savedMs = 0; // wall-clock time of the write, milliseconds since the epoch (UTC)
    // The settings the run depends on: "config.dat" holds those of the last clean close only.
    int32_t functionCode = 0;
    int32_t displayType = 0;
    int32_t startTime = 0;
    int32_t secondStartTime = 0;
    int32_t startNumber = 0;
    int32_t initialNumber = 0;
    int32_t inLoop = 0;
    int32_t lapNumber = 0;
    // The timing state.
    bool running = false;
    int32_t count = 0;
    int32_t unitSeconds = 0;
    int64_t anchorMs = 0; // wall-clock time of the count's last counted second (UTC)
    int32_t testStep = 0;
    int32_t startSelector = 1;
    bool loopPending = false;

    bool operator==(const TRunState&) const = default;
};

std::string FormatRunState(const TRunState& state);

// False for anything but a whole text as FormatRunState writes it: a wrong first line, a field
// missing, out of order, out of range or repeated, trailing bytes, or a checksum that differs.
bool ParseRunState(std::string_view text, TRunState& state);
