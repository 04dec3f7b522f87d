// The digital display and the board show the same nine characters for any value the timing
// functions hand them, out-of-range and negative ones included.
#include "TimingFakes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// What a display with cells for 0 to 9 and a blank shows of a board text.
std::string AsDisplayed(const std::string& board) {
    std::string shown = board;
    for (char& c : shown)
        if (c < '0' || c > '9')
            c = ' ';
    return shown;
}

class DisplayMirrorsBoard : public ::testing::TestWithParam<int32_t> {
protected:
    DisplayMirrorsBoard() { std::memset(&settings, 0, sizeof settings); }

    TSettingsRecord settings;
    TFakeHost host;
    TRecordingBoard board;
    TFakeClock clock;
    TRecordingSound sound;
    TTimingFunctions timing{settings, host, board, clock, sound};
};

TEST_P(DisplayMirrorsBoard, LapNumberFromTheStoredInitialNumber) {
    // The field stores whatever was typed; RESET makes it the lap number.
    settings.functionCode = FunctionLapCounter;
    settings.initialNumber = GetParam();
    timing.SelectFirstStartTime();
    timing.DoCommand(ControlReset);
    ASSERT_EQ(board.texts.size(), 1u);
    ASSERT_EQ(host.display.size(), 1u);
    const TDisplayCall& call = host.display.back();
    const std::string board9 = board.texts.back();
    ASSERT_EQ(board9.size(), 9u);
    EXPECT_EQ(AsDisplayed(DisplayText(call.value, call.blankLeading, call.blankZero).data()),
              AsDisplayed(board9));
    EXPECT_EQ(std::string(LineText(GetParam(), true).data()), board9);
}

INSTANTIATE_TEST_SUITE_P(Values, DisplayMirrorsBoard,
                         ::testing::Values(0, 999999999, 1000000000, 2147483647, -5, INT32_MIN));

TEST(DisplayText, BlankZeroBlanksOnlyAZeroValue) {
    EXPECT_EQ(std::string(DisplayText(0, true, true).data()), "         ");
    EXPECT_EQ(std::string(DisplayText(1000000000, true, true).data()), "        0");
    EXPECT_EQ(std::string(DisplayText(0, false, true).data()), "000000000");
    EXPECT_EQ(std::string(DisplayText(7, true, true).data()), "        7");
}

} // namespace
