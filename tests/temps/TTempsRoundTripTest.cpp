// Parse(Format(v)) gives v back, to the pattern's precision, wherever the fields can hold v.
#include "scoreboard/TTemps.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <vector>

namespace {

struct TRoundTripCase {
    const char* pattern;
    int32_t largest; // the largest magnitude the pattern's fields hold
    int32_t unit;    // milliseconds of the last digit shown
};

constexpr int32_t Int32Max = std::numeric_limits<int32_t>::max();

const TRoundTripCase Cases[] = {
    {"hhhmmssdcm", Int32Max, 1},
    {"hhhmmss", Int32Max, 1000},
    {"hhmmssdc", 100 * 3600000 - 1, 10},
    {"hhmmss", 100 * 3600000 - 1, 1000},
    {"hmmssd", 10 * 3600000 - 1, 100},
    {"mmssdcm", 3600000 - 1, 1},
    {"mssdc", 600000 - 1, 10},
    {"ssssdcm", 10000000 - 1, 1},
    {"ssssd", 10000000 - 1, 100},
    {"ssdcm", 60000 - 1, 1},
    {"sdc", 10000 - 1, 10},
    {"s", 10000 - 1, 1000},
    {"dcm", 999, 1},
};

std::vector<int32_t> ValuesUpTo(int32_t largest) {
    std::vector<int32_t> values = {0,   1,    9,     10,    99,      100,
                                   999, 1000, 59999, 60000, largest, largest - 1};
    std::mt19937 random(20240611u);
    std::uniform_int_distribution<int32_t> anywhere(0, largest);
    for (int i = 0; i < 20000; ++i)
        values.push_back(anywhere(random));
    std::erase_if(values, [largest](int32_t v) { return v < 0 || v > largest; });
    return values;
}

int32_t Truncated(int32_t value, int32_t unit) {
    const int32_t sign = value < 0 ? -1 : 1;
    const int32_t magnitude = value < 0 ? -value : value;
    return sign * (magnitude - magnitude % unit);
}

TEST(TTempsRoundTrip, UnsignedPatternsUnderEveryZeroMode) {
    TTemps temps;
    for (int zeroMode = 0; zeroMode <= 2; ++zeroMode) {
        temps.ZeroMode = zeroMode;
        for (const TRoundTripCase& c : Cases) {
            for (int32_t value : ValuesUpTo(c.largest)) {
                const char* text = temps.Format(value, c.pattern);
                ASSERT_EQ(Truncated(value, c.unit), temps.Parse(text, c.pattern))
                    << c.pattern << " zero mode " << zeroMode << " value " << value << " text '"
                    << text << "'";
            }
        }
    }
}

TEST(TTempsRoundTrip, SignedPatternsWithTheMinusInTheFirstColumn) {
    TTemps temps;
    temps.MinusPlacement = 1;
    for (const TRoundTripCase& c : Cases) {
        const std::string pattern = std::string("-") + c.pattern;
        for (int32_t magnitude : ValuesUpTo(c.largest)) {
            for (int32_t value : {magnitude, -magnitude}) {
                const char* text = temps.Format(value, pattern.c_str());
                ASSERT_EQ(Truncated(value, c.unit), temps.Parse(text, pattern.c_str()))
                    << pattern << " value " << value << " text '" << text << "'";
            }
        }
    }
}

TEST(TTempsRoundTrip, MinusMovedNextToTheDigitsReadsAsPositive) {
    TTemps temps;
    for (int32_t value : {-1500, -61000, -3723456}) {
        const char* text = temps.Format(value, "-hhmmssdcm");
        EXPECT_EQ(-value, temps.Parse(text, "-hhmmssdcm")) << text;
    }
}

TEST(TTempsRoundTrip, OwnSeparatorsRoundTrip) {
    TTemps temps;
    temps.Separators = "hm,";
    for (int32_t value : ValuesUpTo(100 * 3600000 - 1)) {
        const char* text = temps.Format(value, "hhmmssdcm");
        ASSERT_EQ(value, temps.Parse(text, "hhmmssdcm")) << text;
    }
}

} // namespace
