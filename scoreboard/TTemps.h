// Time values: a signed 32-bit count of milliseconds, formatted by a pattern such as "hhmmss" or
// "hhmmssdcm", parsed back from text, and split into hours (not wrapped at 24), minutes and
// seconds. A plain value object: each user keeps its own.
//
// A pattern is an optional leading '-' (the text then starts with a sign column), the letters of
// the integer part (hhh, hh, h, mm, m, ssss, ss or s) and the fraction letters d, dc or dcm.
#pragma once

#include <cstddef>
#include <cstdint>

class TTemps {
public:
    // The longest text any value and pattern can give is 14 characters (sign, "hhh:mm:ss.",
    // three fraction digits); the buffer leaves room to spare and Format never writes past it.
    static constexpr std::size_t TextSize = 32;

    TTemps();

    // Text of ms laid out by pattern; kept in Text until the next Format.
    const char* Format(int32_t ms, const char* pattern);
    // Value of a text laid out as Format lays it out, or -1 when a field is out of range.
    int32_t Parse(const char* text, const char* pattern);
    // Value of a text holding only the digits of the fields one after the other, or -1.
    int32_t ParseDigits(const char* digits, const char* pattern);

    int32_t Hours(int32_t ms);   // whole hours of |ms|, not wrapped at 24
    int32_t Minutes(int32_t ms); // minutes within the hour
    int32_t Seconds(int32_t ms); // seconds within the minute

    int32_t Value = 0;        // result of the last ParseDigits
    int32_t ParsedValue = 0;  // result of the last Parse
    char Text[TextSize] = {}; // result of the last Format
    int32_t HoursPart = 0, MinutesPart = 0, SecondsPart = 0;
    const char* Separators; // after the hours, after the minutes, after the seconds
    int32_t ZeroMode;       // 0 blank leading zeros and a zero value, 1 blank leading zeros, 2 none
    int32_t MinusPlacement; // 0 the minus moves next to the first digit, else first column
};
