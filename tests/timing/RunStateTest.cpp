// "kadrant.run": its text and file, and a run taken back after a crash measured against the same
// run that never stopped, both on simulated clocks. RunFileLinuxTest.cpp and
// RunFileWindowsTest.cpp have what each platform's replace does to the file itself.
#include "RunProgram.h"
#include "app/runstate/TRunFile.h"
#include "app/runstate/TRunResume.h"
#include "tests/support/PtyLine.h"
#include "tests/support/TestBytes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <tuple>

namespace {

struct TRunCase {
    const char* name;
    int32_t function, display, startTime, secondStartTime, startNumber, inLoop;
    int presses; // of START (+ for the lap counter) after RESET
    int onMs;    // from START to the crash (200 ms steps)
    int offMs;   // from the crash to the new start
};

class RunTakenBack : public ::testing::TestWithParam<TRunCase> {
protected:
    testline::TTempWorkDir dir;
};

TEST_P(RunTakenBack, GoesOnAsTheRunThatNeverStopped) {
    const TRunCase& c = GetParam();
    TProgram before(7000000, c.function);
    TSettingsRecord& s = before.settings;
    s.displayType = c.display;
    s.startTime = c.startTime;
    s.secondStartTime = c.secondStartTime;
    s.startNumber = s.initialNumber = c.startNumber;
    s.inLoop = c.inLoop;
    EXPECT_FALSE(before.keeper.TakeOver());
    before.Press(ControlReset);
    before.Press(ControlStart, c.presses);
    before.Run(c.onMs / 2);
    before.keeper.Changed(); // as a change while counting (In Loop, a start value) does
    before.Run(c.onMs / 2);
    before.timing.OnRunChanged = nullptr; // the crash: the file stays as it is
    before.Run(c.offMs);

    // "config.dat" still holds its last clean close: only the function agrees.
    TProgram after(4294967000u, c.function); // its tick counter wraps in the next second
    after.wall.ms = before.wall.ms;
    ASSERT_TRUE(after.keeper.TakeOver());
    const TTimingState& was = before.timing.State;
    const TTimingState& is = after.timing.State;
    EXPECT_EQ(std::tie(is.running, is.count, is.unitSeconds, is.startSelector, is.loopPending,
                       is.testStep, after.settings.lapNumber),
              std::tie(was.running, was.count, was.unitSeconds, was.startSelector, was.loopPending,
                       was.testStep, before.settings.lapNumber));
    EXPECT_TRUE(after.sound.played.empty()) << "a zero passed while off plays no sound late";
    EXPECT_EQ(after.keeper.TitleNote(), "resumed after an unexpected stop at 14:02:31");
    ASSERT_EQ(after.said.size(), 1u);

    // Second by second, and within the second, both show the same from now on.
    before.board.texts.clear();
    after.board.texts.clear();
    for (int step = 0; step < 80; ++step) {
        before.Run(100);
        after.Run(100);
        ASSERT_EQ(before.board.texts, after.board.texts) << "after " << step + 1 << " ticks";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Functions, RunTakenBack,
    ::testing::Values(TRunCase{"CountUpSeconds", 1, 2, 0, 0, 5, 0, 1, 2400, 20000},
                      TRunCase{"PcClock", 1, 0, 0, 0, 0, 0, 1, 2400, 20000},
                      TRunCase{"CountUpMinutesWithinAMinute", 1, 3, 0, 0, 2, 0, 1, 30000, 120300},
                      TRunCase{"CountDownRanOutWhileOff", 2, 1, 10000, 0, 0, 0, 1, 4000, 21400},
                      TRunCase{"CountDownLoopOfTwoStartTimes", 2, 1, 3000, 2000, 0, 1, 1, 5200,
                               17300},
                      TRunCase{"CountDownLoopOfMinutes", 2, 3, 0, 0, 1, 1, 1, 10000, 190700},
                      TRunCase{"LapCounter", 4, 1, 0, 0, 7, 0, 3, 0, 5000},
                      TRunCase{"Test", 3, 1, 0, 0, 0, 0, 1, 2000, 11200}),
    [](const ::testing::TestParamInfo<TRunCase>& run) { return std::string(run.param.name); });

TEST(RunStateText, OnlyAWholeUnchangedTextIsRead) {
    TRunState state;
    state.savedMs = 1718000000123;
    state.count = -7;
    state.anchorMs = 1718000000000;
    const std::string text = FormatRunState(state);
    TRunState read;
    ASSERT_TRUE(ParseRunState(text, read));
    EXPECT_EQ(read, state);
    for (std::size_t at = 0; at < text.size(); ++at) {
        std::string changed = text;
        changed[at] ^= 1;
        EXPECT_FALSE(ParseRunState(text.substr(0, at), read)) << "cut at " << at;
        EXPECT_FALSE(ParseRunState(changed, read)) << "byte " << at << " changed";
    }
    EXPECT_FALSE(ParseRunState(text + "\n", read));
}

TEST(RunFile, ATemporaryFileLeftByACrashLeavesTheLastWholeState) {
    testline::TTempWorkDir dir;
    std::string read;
    ASSERT_TRUE(ReplaceWholeFile(RunStateFileName, "first"));
    for (const char* left : {"", "kadrant.run 1\nclean 0\nsav"}) {
        std::ofstream(TemporaryPathOf(RunStateFileName)) << left; // killed before the rename
        ASSERT_EQ(ReadWholeFile(RunStateFileName, read), TFileRead::Read);
        EXPECT_EQ(read, "first");
    }
    ASSERT_TRUE(ReplaceWholeFile(RunStateFileName, "second"));
    ASSERT_EQ(ReadWholeFile(RunStateFileName, read), TFileRead::Read);
    EXPECT_EQ(read, "second");
}

// Each is ignored with one line (a clean close with none): the start is today's.
TEST(RunIgnored, DamagedFutureOldOrForeignFilesAndCleanCloses) {
    const struct {
        bool clean, cut, running;
        int64_t agoMs;          // since the file was saved
        int64_t anchorAgoMs;    // since the count's anchor
        int32_t recordFunction; // what "config.dat" holds now
        const char* said;
    } files[] = {{true, false, true, 5000, 5000, 1, ""},
                 {false, true, true, 5000, 5000, 1, "damaged"},
                 {false, false, true, -1000, -1000, 1, "from the future"},
                 // The clock went back by less than the run's age: the anchor is still behind.
                 {false, false, false, -1000, 30000, 1, "from the future"},
                 {false, false, true, -1000, 30000, 1, "from the future"},
                 {false, false, true, RunStateMaxAgeMs + 1, RunStateMaxAgeMs + 1, 1, "48 hours"},
                 {false, false, true, 5000, 5000, 2, "another function"}};
    for (const auto& file : files) {
        testline::TTempWorkDir dir;
        TProgram next(0, file.recordFunction);
        TRunState state;
        state.clean = file.clean;
        state.functionCode = FunctionCountUp;
        state.running = file.running;
        state.savedMs = next.wall.ms - file.agoMs;
        state.anchorMs = next.wall.ms - file.anchorAgoMs;
        std::string text = FormatRunState(state);
        text.resize(text.size() - (file.cut ? 3 : 0));
        ASSERT_TRUE(ReplaceWholeFile(RunStateFileName, text));
        EXPECT_FALSE(next.keeper.TakeOver() || next.timing.State.running) << file.said;
        EXPECT_EQ(next.timing.State.count, 0) << file.said;
        const std::string said = next.said.empty() ? "" : next.said[0];
        EXPECT_EQ(next.said.size(), *file.said ? 1u : 0u) << file.said;
        EXPECT_NE(said.find(file.said), std::string::npos) << said;
    }
}

// Counted seconds write nothing; a wall clock that jumps moves neither the count nor the anchor it
// is saved with; a state that cannot be kept is said once; a clean close leaves nothing to take
// back.
TEST(RunKeeper, WritesChangesWithTheCountsOwnAnchorSaysFailureOnceAndClosesCleanly) {
    testline::TTempWorkDir dir;
    TProgram program(0, FunctionCountUp);
    program.settings.displayType = DisplaySeconds;
    program.keeper.TakeOver();
    program.Press(ControlStart);
    const std::string started = testbytes::ReadFile(RunStateFileName);
    program.Run(4000);
    program.wall.ms += 3600000;
    program.Run(6300);
    EXPECT_EQ(testbytes::ReadFile(RunStateFileName), started);
    program.settings.inLoop = 1; // any change while counting
    program.keeper.Changed();
    TRunState saved;
    ASSERT_TRUE(ParseRunState(testbytes::ReadFile(RunStateFileName), saved));
    EXPECT_EQ(saved.count, 10);
    EXPECT_EQ(saved.anchorMs, program.wall.ms - 300); // the count's last second, by the tick

    std::filesystem::create_directory("kadrant.run.tmp"); // stands for a full or read-only disk
    program.Press(ControlReset);
    program.Press(ControlStart);
    program.Run(3000);
    EXPECT_EQ(program.said.size(), 1u);
    EXPECT_EQ(program.board.texts.back(), "        3") << "the count goes on";
    std::filesystem::remove("kadrant.run.tmp");
    program.keeper.CloseCleanly();
    TProgram next(0, FunctionCountUp);
    EXPECT_FALSE(next.keeper.TakeOver());
    EXPECT_TRUE(next.said.empty());
}

} // namespace
