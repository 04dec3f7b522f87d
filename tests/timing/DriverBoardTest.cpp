// The timing functions through the real driver: the bytes a pseudo-terminal on Com1 receives.
#include "TimingFakes.h"
#include "app/driverboard/TDriverBoard.h"
#include "scoreboard/TScbDriver.h"
#include "tests/support/PtyLine.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string LineOneMessage(const std::string& nineChars) {
    return std::string("\x02L0\tA") + nineChars + "\t\r\n";
}

class DriverBoardTest : public ::testing::Test {
protected:
    DriverBoardTest() { std::memset(&settings, 0, sizeof settings); }

    void SetUp() override {
        driver.Setup(TScbDriver::BoardLineMessage, 1);
        ASSERT_EQ(driver.Open(), 1);
        line.ReadBytes(9 * 17); // the opening's catch-up: nine blank lines
    }

    void Run(uint32_t ms) {
        for (uint32_t elapsed = 0; elapsed < ms; elapsed += 100) {
            clock.tick += 100;
            timing.OnTimerTick();
        }
    }

    testline::TTempWorkDir dir;
    testline::TPtyLine line{1};
    TScbDriver driver;
    TDriverBoard board{driver};
    TSettingsRecord settings;
    TFakeHost host;
    TFakeClock clock;
    TRecordingSound sound;
    TTimingFunctions timing{settings, host, board, clock, sound};
};

TEST_F(DriverBoardTest, CountDownSecondsReachesTheLineAsLineMessages) {
    settings.functionCode = FunctionCountDown;
    settings.displayType = DisplaySeconds;
    settings.startNumber = 3;
    std::strcpy(settings.soundFile, "bell.wav");

    timing.DoCommand(ControlReset);
    timing.DoCommand(ControlStart);
    Run(3000);

    std::string expected;
    for (const char* text : {"        3", "        3", "        2", "        1", "        0"})
        expected += LineOneMessage(text);
    EXPECT_EQ(line.ReadBytes(expected.size()), expected);
    EXPECT_EQ(sound.played.size(), 1u);
    EXPECT_EQ(line.ReadUntilQuiet(300), ""); // stopped: nothing more
}

TEST_F(DriverBoardTest, ChoosingTestClearsTheBoardAndResetSendsNineZeros) {
    settings.functionCode = FunctionTest;
    timing.DoCommand(ControlTest);
    timing.DoCommand(ControlReset);

    std::string expected;
    for (char wire = '0'; wire <= '8'; ++wire)
        expected += std::string("\x02L") + wire + "\tA         \t\r\n";
    expected += LineOneMessage("000000000");
    EXPECT_EQ(line.ReadBytes(expected.size()), expected);
}

} // namespace
