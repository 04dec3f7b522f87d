// Time as the timing functions see it: a 32-bit millisecond tick counter that wraps, and the
// local time of day. Behind an interface so tests can drive both.
#pragma once

#include <cstdint>

struct TLocalTime {
    int hour = 0;
    int minute = 0;
    int second = 0;
    int milliseconds = 0;
};

class TClock {
public:
    virtual ~TClock() = default;
    // Milliseconds since an arbitrary origin, wrapping from 4294967295 to 0.
    virtual uint32_t TickCount() = 0;
    virtual TLocalTime LocalTime() = 0;
};

// The steady clock for the tick counter (never jumps with the wall clock) and the system's
// local time zone for the time of day.
class TSystemClock : public TClock {
public:
    uint32_t TickCount() override;
    TLocalTime LocalTime() override;
};
