// The counting rule taken all at once against the same seconds taken one by one, as the tick
// takes them: long runs through the odometers' roll-over, unit boundaries and loop restarts.
#include "app/timing/TCountRule.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

struct TRuleCase {
    const char* name;
    int32_t function, display, startTime, secondStartTime, inLoop, count, unitSeconds;
    int64_t seconds;
};

class CountRule : public ::testing::TestWithParam<TRuleCase> {};

TEST_P(CountRule, AllAtOnceIsEverySecondInTurn) {
    const TRuleCase& c = GetParam();
    TSettingsRecord settings{};
    settings.functionCode = c.function;
    settings.displayType = c.display;
    settings.startTime = c.startTime;
    settings.secondStartTime = c.secondStartTime;
    settings.startNumber = settings.initialNumber = 4;
    settings.inLoop = c.inLoop;
    settings.lapNumber = 9;
    TTimingState state;
    state.running = true;
    state.count = c.count;
    state.unitSeconds = c.unitSeconds;
    TSettingsRecord byOne = settings;
    TTimingState stepped = state;
    for (int64_t second = 0; second < c.seconds; ++second)
        CountSeconds(byOne, stepped, 1);
    CountSeconds(settings, state, c.seconds);
    EXPECT_EQ(std::tie(state.running, state.count, state.unitSeconds, state.testStep,
                       state.startSelector, state.loopPending, settings.lapNumber),
              std::tie(stepped.running, stepped.count, stepped.unitSeconds, stepped.testStep,
                       stepped.startSelector, stepped.loopPending, byOne.lapNumber));
}

INSTANTIATE_TEST_SUITE_P(
    Runs, CountRule,
    ::testing::Values(
        TRuleCase{"UpHhmmssThroughItsRollOver", 1, 1, 0, 0, 0, HhmmssSecondsLimit - 5, 0, 9000},
        TRuleCase{"UpSecondsThroughNineDigits", 1, 2, 0, 0, 0, NineDigitLimit - 3, 0, 7},
        TRuleCase{"UpHoursFromAPartHour", 1, 4, 0, 0, 0, 2, 3500, 200000},
        TRuleCase{"DownMinutesToZero", 2, 3, 0, 0, 0, 3, 10, 400},
        TRuleCase{"DownLoopOfTwoStartTimes", 2, 1, 7000, 3000, 1, 5, 0, 100000},
        TRuleCase{"DownLoopOfDays", 2, 5, 0, 0, 1, 1, 86000, 200000},
        TRuleCase{"DownLoopFromAZeroStartTime", 2, 1, 0, 0, 1, 2, 0, 60},
        TRuleCase{"Test", 3, 1, 0, 0, 0, 0, 0, 12345}),
    [](const ::testing::TestParamInfo<TRuleCase>& run) { return std::string(run.param.name); });

} // namespace
