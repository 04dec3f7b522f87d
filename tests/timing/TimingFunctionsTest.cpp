#include "TimingFakes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Texts = std::vector<std::string>;

// Seconds held by an "hhmmss" board text.
int64_t SecondsOfHhmmss(const std::string& text) {
    const int64_t value = std::stoll(text);
    EXPECT_LT(value / 100 % 100, 60) << text;
    EXPECT_LT(value % 100, 60) << text;
    return value / 10000 * 3600 + value / 100 % 100 * 60 + value % 100;
}

class TimingTest : public ::testing::Test {
protected:
    TimingTest() {
        std::memset(&settings, 0, sizeof settings);
        clock.tick = 7000000;
    }

    // A click on a control as the main window forwards it.
    void Press(int controlId) {
        if (controlId == ControlStart || controlId == ControlStop || controlId == ControlReset)
            timing.SelectFirstStartTime();
        timing.DoCommand(controlId);
    }

    // Lets the 100 ms window timer run for ms milliseconds of the simulated clock.
    void Run(uint32_t ms) {
        for (uint32_t elapsed = 0; elapsed < ms; elapsed += 100) {
            clock.tick += 100;
            timing.OnTimerTick();
        }
    }

    // The texts the board received since the last call.
    Texts Sent() {
        Texts texts;
        texts.swap(board.texts);
        return texts;
    }

    TDisplayCall LastDisplay() const {
        return host.display.empty() ? TDisplayCall{-1, false, false} : host.display.back();
    }

    void Use(int32_t function, int32_t displayType) {
        settings.functionCode = function;
        settings.displayType = displayType;
    }

    void SetSoundFile(const char* path) {
        std::strncpy(settings.soundFile, path, SoundFileSize - 1);
    }

    TSettingsRecord settings;
    TFakeHost host;
    TRecordingBoard board;
    TFakeClock clock;
    TRecordingSound sound;
    TTimingFunctions timing{settings, host, board, clock, sound};
};

TEST_F(TimingTest, SendValueBlanksUpToEightLeadingZerosAndAlwaysSendsNineCharacters) {
    timing.SendValue(0);
    timing.SendValue(10203);
    timing.SendValue(59);
    timing.SendValue(999999999);
    timing.SendValue(-5);
    EXPECT_EQ(Sent(), (Texts{"        0", "    10203", "       59", "999999999", "-00000005"}));

    // Beyond nine digits the board shows the last nine, as an odometer does, never a cut text.
    timing.SendValue(1000000005);
    timing.SendValue(INT32_MAX);
    timing.SendValue(INT32_MIN);
    EXPECT_EQ(Sent(), (Texts{"        5", "147483647", "-47483648"}));
}

TEST_F(TimingTest, ComputeDisplayValueSplitsHhmmssWithoutLimitAt24Hours) {
    Use(FunctionCountUp, DisplayHhmmss);
    const std::pair<int32_t, int32_t> cases[] = {
        {0, 0},
        {59, 59},
        {60, 100},
        {90000, 250000},
        {2147483, 5963123},     // the last count whose milliseconds fit 32 bits
        {2147484, 5963124},     // computed through 64 bits from here on
        {359999999, 999995959}, // 99999:59:59, the largest nine digits hold
        {INT32_MAX, 965231407}, // 596523:14:07 keeps the last five digits of its hours
    };
    for (const auto& [count, expected] : cases) {
        timing.State.count = count;
        EXPECT_EQ(timing.ComputeDisplayValue(), expected) << count;
    }

    Use(FunctionCountUp, DisplaySeconds);
    timing.State.count = 1000000005;
    EXPECT_EQ(timing.ComputeDisplayValue(), 5);
    timing.State.count = 123;
    EXPECT_EQ(timing.ComputeDisplayValue(), 123);
}

TEST_F(TimingTest, CountUpHhmmssFromFiftyNineSeconds) {
    Use(FunctionCountUp, DisplayHhmmss);
    settings.startTime = 59000;

    Press(ControlReset);
    EXPECT_EQ(Sent(), Texts{"       59"});
    EXPECT_EQ(LastDisplay(), (TDisplayCall{59, true, false}));

    Press(ControlStart);
    EXPECT_EQ(Sent(), Texts{"       59"});
    EXPECT_EQ(LastDisplay(), (TDisplayCall{59, true, false}));
    EXPECT_TRUE(timing.State.running);

    Run(900);
    EXPECT_TRUE(Sent().empty());
    Run(100);
    EXPECT_EQ(Sent(), Texts{"      100"});
    EXPECT_EQ(LastDisplay(), (TDisplayCall{100, true, false}));
}

TEST_F(TimingTest, CountUpMinutesCountsWholeMinutesAndStartDropsThePartCounted) {
    Use(FunctionCountUp, DisplayMinutes);
    settings.initialNumber = 5;
    timing.OnInitialNumberChanged();
    EXPECT_EQ(settings.startNumber, 5);

    Press(ControlReset);
    EXPECT_EQ(Sent(), Texts{"        5"});
    Press(ControlStart);
    Sent();

    Run(59000);
    EXPECT_EQ(Sent(), Texts(59, "        5")); // every counted second sends its value
    Run(1000);
    EXPECT_EQ(Sent(), Texts{"        6"});

    Run(30000); // 90 s after START
    Sent();
    Press(ControlStop);
    EXPECT_FALSE(timing.State.running);
    Run(5000);
    EXPECT_TRUE(Sent().empty());

    Press(ControlStart);
    EXPECT_EQ(Sent(), Texts{"        6"});
    Run(59900);
    EXPECT_EQ(Sent(), Texts(59, "        6"));
    Run(100);
    EXPECT_EQ(Sent(), Texts{"        7"});
    EXPECT_EQ(LastDisplay(), (TDisplayCall{7, true, false}));
}

TEST_F(TimingTest, CountDownSecondsPlaysTheSoundAtZeroAndStops) {
    Use(FunctionCountDown, DisplaySeconds);
    settings.initialNumber = 3;
    timing.OnInitialNumberChanged();
    SetSoundFile("/sounds/bell.wav");

    Press(ControlReset);
    Press(ControlStart);
    EXPECT_EQ(Sent(), (Texts{"        3", "        3"}));
    Run(1000);
    EXPECT_EQ(Sent(), Texts{"        2"});
    Run(1000);
    EXPECT_EQ(Sent(), Texts{"        1"});
    EXPECT_TRUE(sound.played.empty());
    Run(1000);
    EXPECT_EQ(Sent(), Texts{"        0"});
    EXPECT_EQ(LastDisplay(), (TDisplayCall{0, true, false}));
    EXPECT_EQ(sound.played, std::vector<std::string>{"/sounds/bell.wav"});
    EXPECT_FALSE(timing.State.running);
    EXPECT_FALSE(timing.State.loopPending);

    Run(5000);
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(sound.played.size(), 1u);
}

TEST_F(TimingTest, CountDownMinutesSendsTheMinuteEverySecondAndEndsAfterIt) {
    Use(FunctionCountDown, DisplayMinutes);
    settings.startNumber = 1;
    Press(ControlReset);
    Press(ControlStart);
    Sent();
    Run(59000);
    EXPECT_EQ(Sent(), Texts(59, "        1"));
    Run(1000);
    EXPECT_EQ(Sent(), Texts{"        0"});
    EXPECT_FALSE(timing.State.running);
}

TEST_F(TimingTest, CountDownLoopAlternatesTheTwoStartTimes) {
    Use(FunctionCountDown, DisplayHhmmss);
    settings.startTime = 3000;
    settings.secondStartTime = 2000;
    settings.inLoop = 1;
    SetSoundFile("bell.wav");

    Press(ControlReset);
    Press(ControlStart);
    EXPECT_EQ(Sent(), (Texts{"        3", "        3"}));

    // One value per second; a restart second shows the new start value, sent by its RESET and
    // its START, and nothing by the tick itself.
    const std::vector<Texts> perSecond = {
        {"        2"},
        {"        1"},
        {"        0"},
        {"        2", "        2"},
        {"        1"},
        {"        0"},
        {"        3", "        3"},
        {"        2"},
        {"        1"},
        {"        0"},
        {"        2", "        2"},
        {"        1"},
    };
    const size_t soundsAfter[] = {0, 0, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3};
    for (size_t second = 0; second < perSecond.size(); ++second) {
        Run(1000);
        EXPECT_EQ(Sent(), perSecond[second]) << "second " << second + 1;
        EXPECT_EQ(LastDisplay().value, std::stoi(perSecond[second].front()));
        EXPECT_EQ(sound.played.size(), soundsAfter[second]) << "second " << second + 1;
        EXPECT_TRUE(timing.State.running);
    }
}

TEST_F(TimingTest, CountDownFromZeroDoesNotStart) {
    Use(FunctionCountDown, DisplaySeconds);
    SetSoundFile("bell.wav");
    Press(ControlReset);
    Press(ControlStart);
    EXPECT_EQ(Sent(), (Texts{"        0", "        0"}));
    EXPECT_FALSE(timing.State.running);
    Run(5000);
    EXPECT_TRUE(Sent().empty());
    EXPECT_TRUE(sound.played.empty());
}

TEST_F(TimingTest, CountDownFromANegativeStoredNumberDoesNotStart) {
    // A damaged settings file could hold one; counting down from it would never reach zero.
    Use(FunctionCountDown, DisplaySeconds);
    settings.startNumber = -4;
    Press(ControlReset);
    Press(ControlStart);
    EXPECT_FALSE(timing.State.running);
    Run(3000);
    EXPECT_EQ(timing.State.count, -4);
}

TEST_F(TimingTest, CountDownWithPcClockNeverChanges) {
    Use(FunctionCountDown, DisplayPcClock);
    settings.startTime = 5000;
    Press(ControlReset);
    Press(ControlStart);
    Sent();
    Run(3000);
    EXPECT_EQ(Sent(), Texts(3, "        5"));
    EXPECT_EQ(timing.State.count, 5);
    EXPECT_TRUE(timing.State.running);
}

TEST_F(TimingTest, TestPatternCyclesEverySecondAndResetShowsNineZeros) {
    Use(FunctionTest, DisplayHhmmss);
    Press(ControlTest);
    EXPECT_EQ(Sent(), Texts{"<clear>"});
    EXPECT_EQ(LastDisplay(), (TDisplayCall{0, true, true}));

    Press(ControlStart);
    EXPECT_TRUE(Sent().empty());
    Run(900);
    EXPECT_TRUE(Sent().empty());
    Run(100);
    EXPECT_EQ(Sent(), Texts{"000000000"});
    EXPECT_EQ(LastDisplay(), (TDisplayCall{0, false, true}));
    Run(9000);
    EXPECT_EQ(Sent(), (Texts{"111111111", "222222222", "333333333", "444444444", "555555555",
                             "666666666", "777777777", "888888888", "999999999"}));
    EXPECT_EQ(LastDisplay(), (TDisplayCall{999999999, false, true}));
    Run(1000);
    EXPECT_EQ(Sent(), Texts{"000000000"});

    Run(1000);
    Sent();
    Press(ControlReset);
    EXPECT_EQ(Sent(), Texts{"000000000"});
    EXPECT_EQ(LastDisplay(), (TDisplayCall{0, false, true}));
    EXPECT_EQ(timing.State.testStep, 0);
    Run(3000);
    EXPECT_TRUE(Sent().empty());
}

TEST_F(TimingTest, LapCounterCountsAndNeverGoesBelowZero) {
    Use(FunctionLapCounter, DisplayHhmmss);
    settings.initialNumber = 42;
    settings.lapNumber = 17;

    Press(ControlLapCounter);
    EXPECT_EQ(Sent(), Texts{"        0"});
    EXPECT_EQ(LastDisplay(), (TDisplayCall{0, true, false}));
    EXPECT_EQ(host.focused, std::vector<int>{ControlInitialNumber});

    Press(ControlStart);
    Press(ControlStart);
    Press(ControlStart);
    EXPECT_EQ(Sent(), (Texts{"        1", "        2", "        3"}));
    EXPECT_EQ(LastDisplay(), (TDisplayCall{3, true, false}));
    EXPECT_FALSE(timing.State.running);

    for (int i = 0; i < 4; ++i)
        Press(ControlStop);
    EXPECT_EQ(Sent(), (Texts{"        2", "        1", "        0", "        0"}));
    EXPECT_EQ(settings.lapNumber, 0);

    Press(ControlReset);
    EXPECT_EQ(Sent(), Texts{"       42"});
    EXPECT_EQ(settings.lapNumber, 42);

    settings.initialNumber = 7; // typed in the initial-number field
    timing.OnInitialNumberChanged();
    EXPECT_EQ(Sent(), Texts{"        7"});
    EXPECT_EQ(LastDisplay(), (TDisplayCall{7, true, true}));

    settings.initialNumber = 0;
    timing.OnInitialNumberChanged();
    EXPECT_EQ(Sent(), Texts{"        0"});
    EXPECT_EQ(LastDisplay(), (TDisplayCall{0, true, true})); // blanks the display completely
}

TEST_F(TimingTest, NineDigitCountsRollOverLikeAnOdometer) {
    Use(FunctionCountUp, DisplaySeconds);
    settings.startNumber = 999999998;
    Press(ControlReset);
    Press(ControlStart);
    Sent();
    Run(3000);
    EXPECT_EQ(Sent(), (Texts{"999999999", "        0", "        1"}));
    EXPECT_EQ(timing.State.count, 1);

    Use(FunctionCountUp, DisplayHhmmss);
    timing.State.count = 359999998;
    Press(ControlStart);
    Run(2000);
    EXPECT_EQ(Sent(), (Texts{"999995958", "999995959", "        0"}));
    EXPECT_EQ(timing.State.count, 0);

    timing.State.count = 2147483;
    Press(ControlStart);
    Run(1000);
    EXPECT_EQ(Sent(), (Texts{"  5963123", "  5963124"}));

    Use(FunctionLapCounter, DisplaySeconds);
    settings.lapNumber = 999999999;
    Press(ControlStart);
    EXPECT_EQ(Sent(), Texts{"        0"});
    EXPECT_EQ(settings.lapNumber, 0);
    settings.lapNumber = INT32_MAX; // from a damaged settings file
    Press(ControlStart);
    EXPECT_EQ(Sent(), Texts{"147483648"});
}

TEST_F(TimingTest, StartWhileRunningResendsAndCountsTheNextSecondFromThePress) {
    Use(FunctionCountUp, DisplaySeconds);
    Press(ControlReset);
    Press(ControlStart);
    Sent();
    Run(1500);
    EXPECT_EQ(Sent(), Texts{"        1"});
    Press(ControlStart);
    EXPECT_EQ(Sent(), Texts{"        1"});
    Run(900);
    EXPECT_TRUE(Sent().empty());
    Run(100);
    EXPECT_EQ(Sent(), Texts{"        2"});

    Use(FunctionCountUp, DisplayMinutes);
    Run(30000);
    Press(ControlStart);
    EXPECT_EQ(timing.State.unitSeconds, 0);
    Sent();
    Run(59900);
    EXPECT_EQ(timing.State.count, 2);
    Run(100);
    EXPECT_EQ(timing.State.count, 3);
}

TEST_F(TimingTest, StartWhileTestRunsOnlyMovesTheNextPattern) {
    Use(FunctionTest, DisplayHhmmss);
    Press(ControlStart);
    Run(1500);
    EXPECT_EQ(Sent(), Texts{"000000000"});
    Press(ControlStart);
    EXPECT_TRUE(Sent().empty());
    Run(900);
    EXPECT_TRUE(Sent().empty());
    Run(100);
    EXPECT_EQ(Sent(), Texts{"111111111"});
}

TEST_F(TimingTest, SecondIsCountedAcrossTheTickCounterWrap) {
    for (const uint32_t startTick : {4294967295u, 4294966846u, 4294966296u}) {
        clock.tick = startTick;
        Use(FunctionCountUp, DisplaySeconds);
        Press(ControlReset);
        Press(ControlStart);
        Sent();
        Run(900);
        EXPECT_TRUE(Sent().empty()) << startTick;
        Run(100);
        EXPECT_EQ(Sent(), Texts{"        1"}) << startTick;
        EXPECT_EQ(timing.State.tickAnchor, startTick + 1000u);
        Run(1000);
        EXPECT_EQ(Sent(), Texts{"        2"}) << startTick;
    }
}

TEST_F(TimingTest, StallIsCaughtUpOneSecondPerTick) {
    Use(FunctionCountUp, DisplaySeconds);
    Press(ControlStart);
    Sent();
    clock.tick += 5000; // the window thread was busy for five seconds
    for (const char* expected : {"        1", "        2", "        3", "        4", "        5"}) {
        clock.tick += 100;
        timing.OnTimerTick();
        EXPECT_EQ(Sent(), Texts{expected});
    }
    Run(400);
    EXPECT_TRUE(Sent().empty());
    Run(100);
    EXPECT_EQ(Sent(), Texts{"        6"});
}

TEST_F(TimingTest, PcClockSendsOnlyWhenTheLocalSecondChanges) {
    Use(FunctionCountUp, DisplayPcClock);
    clock.time = {9, 5, 6, 900};
    Press(ControlStart);
    EXPECT_TRUE(timing.State.running);
    timing.OnTimerTick();
    EXPECT_TRUE(Sent().empty()); // nothing until the next change of second

    clock.time = {9, 5, 7, 0};
    timing.OnTimerTick();
    EXPECT_EQ(Sent(), Texts{"    90507"});
    EXPECT_EQ(LastDisplay(), (TDisplayCall{90507, true, false}));

    clock.time = {9, 5, 7, 900};
    timing.OnTimerTick();
    EXPECT_TRUE(Sent().empty());

    clock.time = {9, 5, 8, 30};
    timing.OnTimerTick();
    EXPECT_EQ(Sent(), Texts{"    90508"});
    EXPECT_EQ(timing.State.lastClock.hour, 9);
    EXPECT_EQ(timing.State.lastClock.minute, 5);
    EXPECT_EQ(timing.State.lastClock.second, 8);
    EXPECT_EQ(timing.State.lastClock.hundredths, 3);

    Press(ControlStop);
    clock.time = {9, 5, 9, 0};
    timing.OnTimerTick();
    EXPECT_TRUE(Sent().empty());
}

TEST_F(TimingTest, GuardIgnoresEveryHandlerWhileTheDialogUpdates) {
    Use(FunctionCountUp, DisplaySeconds);
    Press(ControlStart);
    Sent();
    host.display.clear();
    host.updating = true;
    for (int id = ControlCountUp; id <= ControlLapCounter; ++id)
        timing.DoCommand(id);
    timing.OnDisplayTypeChanged();
    timing.OnStartTimeChanged();
    timing.OnInitialNumberChanged();
    EXPECT_EQ(host.transfers, 1); // only the START before
    EXPECT_TRUE(timing.State.running);
    EXPECT_TRUE(Sent().empty());
    EXPECT_TRUE(host.display.empty());

    host.updating = false;
    timing.DoCommand(ControlInitialNumber); // not a function command
    EXPECT_EQ(host.transfers, 1);
}

TEST_F(TimingTest, ChoosingAFunctionStopsItAndPreparesTheDisplay) {
    Use(FunctionCountUp, DisplayHhmmss);
    settings.startTime = 61000;
    Press(ControlReset);
    Press(ControlStart);
    Sent();
    host.transfers = 0;

    timing.DoCommand(ControlCountUp);
    EXPECT_EQ(host.transfers, 2);
    EXPECT_EQ(host.controlStateUpdates, 1);
    EXPECT_FALSE(timing.State.running);
    EXPECT_EQ(LastDisplay(), (TDisplayCall{101, true, true}));
    EXPECT_EQ(Sent(), Texts{"<clear>"});
    EXPECT_EQ(host.focused, std::vector<int>{ControlStartTime});

    Press(ControlStart);
    timing.DoCommand(ControlCountDown);
    EXPECT_FALSE(timing.State.running);
    EXPECT_EQ(host.controlStateUpdates, 2);
    EXPECT_EQ(LastDisplay(), (TDisplayCall{101, true, true}));
}

TEST_F(TimingTest, FieldChangesLoadTheCountOnlyWhileStopped) {
    Use(FunctionCountDown, DisplayHhmmss);
    settings.startTime = 42000;
    settings.secondStartTime = 9000;
    timing.OnStartTimeChanged();
    EXPECT_EQ(timing.State.count, 42); // the first start time, whichever field changed

    Press(ControlStart);
    settings.startTime = 7000;
    timing.OnStartTimeChanged();
    EXPECT_EQ(timing.State.count, 42);

    settings.initialNumber = 12;
    timing.OnInitialNumberChanged();
    EXPECT_EQ(settings.startNumber, 12);
    EXPECT_EQ(timing.State.count, 42);

    timing.OnDisplayTypeChanged();
    EXPECT_FALSE(timing.State.running);
    EXPECT_EQ(timing.State.count, 12);

    Use(FunctionTest, DisplaySeconds);
    settings.initialNumber = 99;
    timing.TakeInitialNumber();
    EXPECT_EQ(settings.startNumber, 12);
}

TEST_F(TimingTest, StopAndResetLeaveAPendingLoopRestart) {
    Use(FunctionCountDown, DisplaySeconds);
    settings.startNumber = 2;
    settings.inLoop = 1;
    Press(ControlReset);
    Press(ControlStart);
    Run(2000);
    EXPECT_TRUE(timing.State.loopPending);

    Press(ControlStop);
    EXPECT_TRUE(timing.State.loopPending);
    const uint32_t anchor = timing.State.tickAnchor;
    timing.State.unitSeconds = 4;
    Press(ControlReset);
    EXPECT_TRUE(timing.State.loopPending);
    EXPECT_EQ(timing.State.tickAnchor, anchor);
    EXPECT_EQ(timing.State.unitSeconds, 4);

    Press(ControlStart);
    Sent();
    Run(1000); // the first counted second performs the restart instead of counting down
    EXPECT_EQ(Sent(), (Texts{"        2", "        2"}));
    EXPECT_FALSE(timing.State.loopPending);
}

TEST_F(TimingTest, SoundPathIsReadWithinItsField) {
    Use(FunctionCountDown, DisplaySeconds);
    std::memset(settings.soundFile, 'a', SoundFileSize); // no terminating NUL
    settings.startNumber = 1;
    Press(ControlReset);
    Press(ControlStart);
    Run(1000);
    ASSERT_EQ(sound.played.size(), 1u);
    EXPECT_EQ(sound.played[0], std::string(SoundFileSize, 'a'));
}

TEST_F(TimingTest, CountUpHhmmssForTwentyFourHoursCountsEverySecondOnce) {
    Use(FunctionCountUp, DisplayHhmmss);
    Press(ControlReset);
    Press(ControlStart);
    EXPECT_EQ(Sent(), (Texts{"        0", "        0"}));

    Run(24u * 3600u * 1000u);
    const Texts texts = Sent();
    ASSERT_EQ(texts.size(), 86400u);
    for (size_t i = 0; i < texts.size(); ++i) {
        ASSERT_EQ(texts[i].size(), 9u);
        ASSERT_EQ(SecondsOfHhmmss(texts[i]), static_cast<int64_t>(i) + 1) << texts[i];
    }
    EXPECT_EQ(texts.back(), "   240000");
    EXPECT_EQ(LastDisplay(), (TDisplayCall{240000, true, false}));
}

TEST_F(TimingTest, TenThousandLoopRestartsWithLateTicksLoseAndDoubleNoSecond) {
    Use(FunctionCountDown, DisplayHhmmss);
    settings.startTime = 3000;
    settings.secondStartTime = 2000;
    settings.inLoop = 1;
    SetSoundFile("bell.wav");
    Press(ControlReset);
    Press(ControlStart);
    Sent();
    const uint32_t started = clock.tick;

    // The window timer is late by up to 45 ms, irregularly.
    uint32_t seed = 12345;
    int64_t previous = 3, nextStart = 2;
    int restarts = 0, zeros = 0;
    uint64_t countedSeconds = 0, elapsed = 0;
    while (restarts < 10000) {
        seed = seed * 1103515245u + 12345u;
        const uint32_t step = 100 + (seed >> 16) % 46;
        clock.tick += step;
        elapsed += step;
        timing.OnTimerTick();
        const Texts texts = Sent();
        if (texts.empty())
            continue;
        ++countedSeconds;
        if (texts.size() == 2) { // the restart: RESET and START send the new start value
            ASSERT_EQ(previous, 0);
            ASSERT_EQ(texts[0], texts[1]);
            ASSERT_EQ(SecondsOfHhmmss(texts[0]), nextStart);
            nextStart = nextStart == 2 ? 3 : 2;
            ++restarts;
        } else {
            ASSERT_EQ(texts.size(), 1u);
            ASSERT_EQ(SecondsOfHhmmss(texts[0]), previous - 1) << "after " << countedSeconds;
            zeros += previous == 1;
        }
        previous = SecondsOfHhmmss(texts.back());
        ASSERT_EQ(LastDisplay().value, previous);
    }
    EXPECT_EQ(static_cast<int>(sound.played.size()), zeros);
    EXPECT_EQ(zeros, restarts);
    // No drift: the counted seconds are the whole seconds of simulated time since START.
    EXPECT_EQ(countedSeconds, elapsed / 1000);
    EXPECT_EQ(clock.tick - started, static_cast<uint32_t>(elapsed));
}

} // namespace
