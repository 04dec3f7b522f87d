// The window's tick kept in phase with the seconds being counted, on a simulated precise timer:
// every second must be seen within a few milliseconds of the moment it begins, across late ticks,
// loop restarts and the wrap of the tick counter.
#include "TimingFakes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

namespace {

// Local time that runs with the tick counter: the local second begins when tick - offset is a
// multiple of 1000.
class TLinkedClock : public TClock {
public:
    uint32_t TickCount() override { return tick; }
    TLocalTime LocalTime() override {
        const uint32_t ms = (tick - secondOffset) % 86400000u;
        return {static_cast<int>(ms / 3600000), static_cast<int>(ms / 60000 % 60),
                static_cast<int>(ms / 1000 % 60), static_cast<int>(ms % 1000)};
    }

    uint32_t tick = 0;
    uint32_t secondOffset = 0;
};

class TTimedBoard : public TBoard {
public:
    explicit TTimedBoard(TLinkedClock& clock) : Clock(clock) {}
    void SetLineText(int, const char* text) override { sent.push_back({Clock.tick, text}); }
    void Clear() override {}

    struct TSent {
        uint32_t tick;
        std::string text;
    };
    std::vector<TSent> sent;

private:
    TLinkedClock& Clock;
};

struct TPhaseCase {
    const char* name;
    int32_t function;
    int32_t displayType;
    int32_t startNumber;
    bool inLoop;
    uint32_t startTick;     // the tick counter at START
    uint32_t timerPhase;    // ms from START to the free-running timer's next tick
    uint32_t lateTickAfter; // ms after START: the first tick from then on comes late ...
    uint32_t lateBy;        // ... by this much (over a period: the timer loses its phase)
};

void PrintTo(const TPhaseCase& c, std::ostream* out) {
    *out << c.name;
}

class TickPhase : public ::testing::TestWithParam<TPhaseCase> {
protected:
    TickPhase() { std::memset(&settings, 0, sizeof settings); }

    // Runs the window's precise 100 ms timer for ms: a tick delivered late leaves the next ones
    // at their places unless it is a whole period late; a restart by the host sets a new phase.
    void RunTimer(uint32_t ms, uint32_t lateAfter, uint32_t lateBy) {
        const uint64_t end = elapsed + ms;
        while (nextTick <= end) {
            const bool late = nextTick >= lateAfter && !lateDone;
            elapsed = nextTick + (late ? lateBy : 0);
            lateDone = lateDone || late;
            clock.tick = base + static_cast<uint32_t>(elapsed);
            timing.OnTimerTick();
            nextTick += 100;
            if (nextTick <= elapsed)
                nextTick = elapsed + 100;
            TakeRestart();
        }
    }

    void TakeRestart() {
        if (!host.tickRestarts.empty())
            nextTick = elapsed + static_cast<uint64_t>(host.tickRestarts.back());
        host.tickRestarts.clear();
    }

    TSettingsRecord settings;
    TFakeHost host;
    TLinkedClock clock;
    TTimedBoard board{clock};
    TRecordingSound sound;
    TTimingFunctions timing{settings, host, board, clock, sound};
    uint32_t base = 0;
    uint64_t elapsed = 0;  // ms since START
    uint64_t nextTick = 0; // when the timer's next tick is due, in ms since START
    bool lateDone = false;
};

TEST_P(TickPhase, EverySecondIsSeenWithinTheTicksLagOfItsBeginning) {
    const TPhaseCase& c = GetParam();
    settings.functionCode = c.function;
    settings.displayType = c.displayType;
    settings.startNumber = c.startNumber;
    settings.inLoop = c.inLoop;
    base = c.startTick;
    clock.tick = base;
    // For "Horloge PC" the next local second begins 437 ms after START.
    clock.secondOffset = base - 563;
    nextTick = c.timerPhase;
    timing.DoCommand(ControlReset);
    timing.SelectFirstStartTime();
    timing.DoCommand(ControlStart);
    TakeRestart();
    board.sent.clear();
    RunTimer(12050, c.lateTickAfter, c.lateBy);

    const uint32_t reference = c.displayType == DisplayPcClock ? clock.secondOffset : base;
    const uint32_t limit = TTimingFunctions::TickLagMs + TTimingFunctions::TickSlackMs;
    // Twelve seconds counted (a loop restart's second sends twice), none of them late.
    std::vector<uint32_t> seconds;
    for (const auto& sent : board.sent) {
        const uint32_t since = sent.tick - reference;
        EXPECT_LE(since % 1000, limit) << sent.text << " at " << since << " ms";
        if (seconds.empty() || seconds.back() != since / 1000)
            seconds.push_back(since / 1000);
    }
    ASSERT_EQ(seconds.size(), 12u);
    for (uint32_t i = 0; i < seconds.size(); ++i)
        EXPECT_EQ(seconds[i], i + 1);
}

INSTANTIATE_TEST_SUITE_P(
    Timing, TickPhase,
    ::testing::Values(
        TPhaseCase{"CountUp", FunctionCountUp, DisplaySeconds, 0, false, 7000000, 63, 0, 0},
        TPhaseCase{"CountUpLateTick", FunctionCountUp, DisplaySeconds, 0, false, 7000000, 63, 2350,
                   60},
        TPhaseCase{"CountUpTickLateByMoreThanAPeriod", FunctionCountUp, DisplaySeconds, 0, false,
                   7000000, 63, 2350, 430},
        TPhaseCase{"CountUpAcrossTheTickWrap", FunctionCountUp, DisplaySeconds, 0, false,
                   4294962296u, 37, 4050, 70},
        TPhaseCase{"CountDownLoopRestarts", FunctionCountDown, DisplaySeconds, 2, true, 4294964296u,
                   91, 5400, 130},
        TPhaseCase{"Test", FunctionTest, DisplaySeconds, 0, false, 7000000, 5, 1200, 45},
        TPhaseCase{"PcClock", FunctionCountUp, DisplayPcClock, 0, false, 7000000, 20, 6020, 75}),
    [](const auto& c) { return std::string(c.param.name); });

} // namespace
