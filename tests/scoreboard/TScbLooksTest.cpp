// When the sending thread looks at its queue: one pacing period apart, moved onto the window's
// tick (a little after it) once its place is known, never into a burst after a stall.
#include "scoreboard/TScbThread.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

using Clock = TScbThread::Clock;
using std::chrono::microseconds;
using std::chrono::milliseconds;

const Clock::duration Period = milliseconds(100);
const Clock::time_point Start = Clock::time_point(milliseconds(123456789));

// How far a look lies after the last place LookLag behind a tick.
Clock::duration AfterTickPlace(Clock::time_point look, Clock::time_point tick) {
    Clock::duration after = (look - tick - TScbThread::LookLag) % Period;
    return after < Clock::duration::zero() ? after + Period : after;
}

struct TLookCase {
    const char* name;
    microseconds tickAfterStart; // where the window's ticks fall against the current looks
    microseconds lateBy;         // how late the thread wakes for each look
};

void PrintTo(const TLookCase& c, std::ostream* out) {
    *out << c.name;
}

class LookPhase : public ::testing::TestWithParam<TLookCase> {};

TEST_P(LookPhase, LooksFollowTheTicksPhaseAndStayOnePeriodApart) {
    const TLookCase& c = GetParam();
    const Clock::time_point tick = Start + c.tickAfterStart + 7 * Period;
    Clock::time_point look = Start;
    for (int i = 0; i < 20; ++i) {
        const Clock::time_point next =
            TScbThread::NextLook(look, look + c.lateBy, Period,
                                 i == 0 ? std::optional<Clock::time_point>(tick) : std::nullopt);
        EXPECT_LE(AfterTickPlace(next, tick), TScbThread::LookSlack) << "look " << i;
        // Never two looks within a period: the move goes later, at most to the next place.
        EXPECT_GE(next - look, Period) << "look " << i;
        EXPECT_LT(next - look, i == 0 ? 2 * Period : Period + microseconds(1)) << "look " << i;
        look = next;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Thread, LookPhase,
    ::testing::Values(TLookCase{"TickOnTheLooks", microseconds(0), microseconds(0)},
                      TLookCase{"TickJustBeforeAPlannedLook", microseconds(94000), microseconds(0)},
                      TLookCase{"LookAlreadyJustAfterTheTick", microseconds(87500),
                                microseconds(0)},
                      TLookCase{"TickJustAfterAPlannedLook", microseconds(300), microseconds(0)},
                      TLookCase{"TickHalfAPeriodAway", microseconds(50000), microseconds(0)},
                      TLookCase{"ThreadWakesLate", microseconds(61000), microseconds(2500)}),
    [](const auto& c) { return std::string(c.param.name); });

TEST(LookPhase, AThreadThatFellBehindTakesOneLookOnItsGridAndNoBurst) {
    const Clock::time_point tick = Start + microseconds(31000);
    for (const auto& [behind, aligned] :
         {std::pair{Period * 5 + milliseconds(30), false}, std::pair{Period * 3, true}}) {
        const auto next =
            TScbThread::NextLook(Start, Start + behind, Period,
                                 aligned ? std::optional<Clock::time_point>(tick) : std::nullopt);
        EXPECT_GT(next, Start + behind);
        EXPECT_LE(next, Start + behind + Period);
        if (aligned)
            EXPECT_LE(AfterTickPlace(next, tick), TScbThread::LookSlack);
        else
            EXPECT_EQ((next - Start) % Period, Clock::duration::zero());
    }
    // A driver without pacing looks again at once, with or without a tick to follow.
    EXPECT_EQ(TScbThread::NextLook(Start, Start + Period, Clock::duration::zero(), tick),
              Start + Period);
}

} // namespace
