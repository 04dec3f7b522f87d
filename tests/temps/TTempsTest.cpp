// The documented behaviour of time values, case by case.
#include "scoreboard/TTemps.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

namespace {

constexpr int32_t Hour = 3600000;
constexpr int32_t Minute = 60000;
constexpr int32_t Second = 1000;

TEST(TTempsFormat, HoursMinutesSecondsAndThreeFractionDigits) {
    TTemps temps;
    EXPECT_STREQ(" 1:02:03.456", temps.Format(3723456, "hhmmssdcm"));
    EXPECT_STREQ(" 1:02:03.456", temps.Text);
    EXPECT_EQ(3723456, temps.Parse(temps.Text, "hhmmssdcm"));
}

TEST(TTempsFormat, ThirdSeparatorEndsTheIntegerPartWithoutFraction) {
    TTemps temps;
    EXPECT_STREQ("       5.", temps.Format(5000, "hhmmss"));
}

TEST(TTempsFormat, ZeroUnderEachZeroMode) {
    TTemps temps;
    EXPECT_STREQ("         ", temps.Format(0, "hhmmss"));
    temps.ZeroMode = 1;
    EXPECT_STREQ("       0.", temps.Format(0, "hhmmss"));
    temps.ZeroMode = 2;
    EXPECT_STREQ("00:00:00.", temps.Format(0, "hhmmss"));
    EXPECT_STREQ("00:00:05.", temps.Format(5000, "hhmmss"));
}

TEST(TTempsFormat, ZeroModeZeroBlanksTheFractionToo) {
    TTemps temps;
    EXPECT_STREQ("            ", temps.Format(0, "hhmmssdcm"));
    EXPECT_STREQ("        0.001", temps.Format(1, "-hhmmssdcm"));
}

TEST(TTempsFormat, MinusSignMovesNextToTheDigitsOrStaysInFirstColumn) {
    TTemps temps;
    EXPECT_STREQ(" -1.50", temps.Format(-1500, "-ssdc"));
    temps.MinusPlacement = 1;
    EXPECT_STREQ("- 1.50", temps.Format(-1500, "-ssdc"));
    EXPECT_STREQ("  1.50", temps.Format(1500, "-ssdc"));
}

TEST(TTempsFormat, HoursAreNotWrappedAt24) {
    TTemps temps;
    EXPECT_STREQ("25:01:01.", temps.Format(90061000, "hhmmss"));
    EXPECT_STREQ("100:00:00.", temps.Format(100 * Hour, "hhmmss"));
}

TEST(TTempsFormat, MinutePatternsHideTheHour) {
    TTemps temps;
    EXPECT_STREQ(" 2:03.", temps.Format(3723000, "mmss"));
    EXPECT_STREQ("2:03.", temps.Format(3723000, "mss"));
}

TEST(TTempsFormat, EachIntegerPattern) {
    TTemps temps;
    temps.ZeroMode = 2;
    EXPECT_STREQ("001:02:03.", temps.Format(3723000, "hhhmmss"));
    EXPECT_STREQ("01:02:03.", temps.Format(3723000, "hhmmss"));
    EXPECT_STREQ("1:02:03.", temps.Format(3723000, "hmmss"));
    EXPECT_STREQ("02:03.", temps.Format(3723000, "mmss"));
    EXPECT_STREQ("2:03.", temps.Format(3723000, "mss"));
    EXPECT_STREQ("3723.", temps.Format(3723000, "ssss"));
    EXPECT_STREQ("03.", temps.Format(3723000, "sss")); // fewer than four s: two digits
    EXPECT_STREQ("03.", temps.Format(3723000, "ss"));
    EXPECT_STREQ("3.", temps.Format(3723000, "s"));
    EXPECT_STREQ("0042.", temps.Format(42000, "ssss"));
    EXPECT_STREQ("", temps.Format(3723000, "x"));
    EXPECT_STREQ("456", temps.Format(3723456, "dcm"));
}

TEST(TTempsFormat, FractionIsTruncatedNeverCarried) {
    TTemps temps;
    EXPECT_STREQ(" 1.9", temps.Format(1999, "ssd"));
    EXPECT_STREQ(" 1.99", temps.Format(1999, "ssdc"));
    EXPECT_STREQ(" 1.999", temps.Format(1999, "ssdcm"));
    EXPECT_STREQ(" 0.05", temps.Format(59, "ssdc"));
}

TEST(TTempsFormat, OwnSeparatorsAreUsedAndBlanked) {
    TTemps temps;
    temps.Separators = "hms";
    EXPECT_STREQ(" 1h02m03s", temps.Format(3723000, "hhmmss"));
    EXPECT_STREQ("       5s", temps.Format(5000, "hhmmss"));
}

TEST(TTempsFormat, ShortSeparatorTextIsNeverReadPast) {
    TTemps temps;
    const char one[] = ":"; // only the first separator present
    temps.Separators = one;
    EXPECT_STREQ(" 1:0203", temps.Format(3723000, "hhmmss"));
    temps.Separators = nullptr;
    EXPECT_STREQ(" 10203", temps.Format(3723000, "hhmmss"));
}

TEST(TTempsFormat, ExtremeValuesStayWithinFourteenCharacters) {
    TTemps temps;
    temps.MinusPlacement = 1;
    EXPECT_STREQ("-596:31:23.648",
                 temps.Format(std::numeric_limits<int32_t>::min(), "-hhhmmssdcm"));
    EXPECT_STREQ("596:31:23.647", temps.Format(std::numeric_limits<int32_t>::max(), "hhmmssdcm"));
    EXPECT_STREQ("2147483.647", temps.Format(std::numeric_limits<int32_t>::max(), "ssssdcm"));

    const char* patterns[] = {"-hhhmmssdcm", "-hhmmssdcm", "-hmmssdcm", "-mmssdcm", "-mssdcm",
                              "-ssssdcm",    "-ssdcm",     "-sdcm",     "-dcm",     ""};
    const int32_t values[] = {std::numeric_limits<int32_t>::min(),
                              std::numeric_limits<int32_t>::max(),
                              -1,
                              0,
                              1,
                              999,
                              -3599999};
    for (int zeroMode = 0; zeroMode <= 2; ++zeroMode) {
        temps.ZeroMode = zeroMode;
        for (const char* pattern : patterns)
            for (int32_t value : values)
                EXPECT_LE(std::strlen(temps.Format(value, pattern)), 14u)
                    << pattern << " " << value;
    }
}

TEST(TTempsParse, AllBlankTextReadsAsZero) {
    TTemps temps;
    EXPECT_EQ(0, temps.Parse("         ", "hhmmss"));
    EXPECT_EQ(0, temps.Parse("            ", "hhmmssdcm"));
}

TEST(TTempsParse, FieldOutOfRangeGivesMinusOne) {
    TTemps temps;
    EXPECT_EQ(-1, temps.Parse("00:60:00.", "hhmmss"));
    EXPECT_EQ(-1, temps.ParsedValue);
    EXPECT_EQ(-1, temps.Parse("00:00:60.", "hhmmss"));
    EXPECT_EQ(-1, temps.ParseDigits("006000", "hhmmss"));
    EXPECT_EQ(100000, temps.ParseDigits("0100", "ssss"));
    EXPECT_EQ(59 * Minute + 59 * Second, temps.Parse("00:59:59.", "hhmmss"));
}

TEST(TTempsParse, FailedParseDigitsKeepsWhatWasSummed) {
    TTemps temps;
    EXPECT_EQ(-1, temps.ParseDigits("016000", "hhmmss"));
    EXPECT_EQ(Hour, temps.Value);
    EXPECT_EQ(-1, temps.ParseDigits("020560", "hhmmss"));
    EXPECT_EQ(2 * Hour + 5 * Minute, temps.Value);
}

TEST(TTempsParse, MissingDigitsAreZerosOnTheRight) {
    TTemps temps;
    EXPECT_EQ(45240000, temps.ParseDigits("1234", "hhmmss"));
    EXPECT_EQ(45240000, temps.Value);
    EXPECT_EQ(12 * Hour, temps.ParseDigits("12", "hhmmss"));
    EXPECT_EQ(0, temps.ParseDigits("", "hhmmss"));
    EXPECT_EQ(1 * Hour + 2 * Minute, temps.Parse(" 1:02", "hhmmss"));
}

TEST(TTempsParse, NonDigitsReadAsZeros) {
    TTemps temps;
    EXPECT_EQ(10 * Hour + 20 * Second, temps.ParseDigits("1x0y20", "hhmmss"));
}

TEST(TTempsParse, SeparatorsAreSkippedWhateverTheyHold) {
    TTemps temps;
    EXPECT_EQ(3723000, temps.Parse("01h02m03s", "hhmmss"));
    EXPECT_EQ(3723456, temps.Parse(" 1:02:03,456", "hhmmssdcm"));
}

TEST(TTempsParse, SignIsTakenOnlyFromTheSignPosition) {
    TTemps temps;
    EXPECT_EQ(1500, temps.Parse(" -1.50", "-ssdc"));
    EXPECT_EQ(-1500, temps.Parse("- 1.50", "-ssdc"));
    EXPECT_EQ(-1500, temps.ParseDigits("-0150", "-ssdc"));
    EXPECT_EQ(150,
              temps.ParseDigits("-0150", "ssdc")); // unsigned: the "-" is a field digit, read as 0
    EXPECT_EQ(0, temps.Parse("", "-ssdc"));
}

TEST(TTempsParse, FractionDigitsFollowTheLettersAtTheFractionStart) {
    TTemps temps;
    EXPECT_EQ(3723450, temps.ParseDigits("01020345", "hhmmssdc"));
    EXPECT_EQ(3723400, temps.ParseDigits("0102034", "hhmmssd"));
    EXPECT_EQ(3723000, temps.ParseDigits("010203456", "hhmmss"));
    EXPECT_EQ(1 * Second + 230, temps.ParseDigits("0123", "ssdc"));
}

TEST(TTempsParse, ResultsOutside32BitsAreRejectedNotWrapped) {
    TTemps temps;
    // 999:59:59.999 is more milliseconds than 32 bits hold.
    EXPECT_EQ(-1, temps.ParseDigits("9995959999", "hhhmmssdcm"));
    EXPECT_EQ(-1, temps.Value);
    EXPECT_EQ(-1, temps.ParseDigits("5963123648", "hhhmmssdcm"));
    EXPECT_EQ(std::numeric_limits<int32_t>::max(), temps.ParseDigits("5963123647", "hhhmmssdcm"));
    EXPECT_EQ(-std::numeric_limits<int32_t>::max(),
              temps.ParseDigits("-5963123647", "-hhhmmssdcm"));
    EXPECT_EQ(-1, temps.Parse("999:60:00.000", "hhhmmssdcm"));
    EXPECT_EQ(-1, temps.Value); // 999 hours do not fit either
}

TEST(TTempsParse, NullTextsAreEmpty) {
    TTemps temps;
    EXPECT_EQ(0, temps.Parse(nullptr, "hhmmss"));
    EXPECT_EQ(0, temps.ParseDigits(nullptr, "-hhmmss"));
    EXPECT_STREQ("", temps.Format(5000, nullptr));
}

TEST(TTempsParts, SplitIntoHoursMinutesSeconds) {
    TTemps temps;
    EXPECT_EQ(25, temps.Hours(90061000));
    EXPECT_EQ(1, temps.Minutes(90061000));
    EXPECT_EQ(1, temps.Seconds(90061000));
    EXPECT_EQ(25, temps.HoursPart);
    EXPECT_EQ(1, temps.MinutesPart);
    EXPECT_EQ(1, temps.SecondsPart);
    EXPECT_EQ(0, temps.Hours(-5000));
    EXPECT_EQ(5, temps.Seconds(-5000));
    EXPECT_EQ(59, temps.Seconds(-59999));
}

TEST(TTempsParts, LargestMagnitudesDoNotOverflow) {
    TTemps temps;
    EXPECT_EQ(596, temps.Hours(std::numeric_limits<int32_t>::min()));
    EXPECT_EQ(31, temps.Minutes(std::numeric_limits<int32_t>::min()));
    EXPECT_EQ(23, temps.Seconds(std::numeric_limits<int32_t>::min()));
    EXPECT_EQ(596, temps.Hours(std::numeric_limits<int32_t>::max()));
}

} // namespace
