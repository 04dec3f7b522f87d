// The exact bytes that reach the board, through the driver, its queue and its thread, on a real
// pseudo-terminal.
#include "scoreboard/TScbDriver.h"
#include "tests/support/PtyLine.h"
#include "tests/support/TestBytes.h"
#include "tests/support/WaitFor.h"

#include <chrono>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

using testline::TPtyLine;
using testline::TTempWorkDir;
using testwait::Scaled;
using testwait::WaitFor;

namespace {

std::string Bytes(std::initializer_list<unsigned char> bytes) {
    return std::string(bytes.begin(), bytes.end());
}

using testbytes::BlankLines;
using testbytes::LineMessage;

class BoardMessages : public testing::Test {
protected:
    void SetUp() override {
        Driver.Setup(TScbDriver::BoardLineMessage, 3);
        ASSERT_EQ(Driver.Open(), 1);
        ASSERT_EQ(Line.ReadBytes(BlankLines().size()), BlankLines()); // the opening's catch-up
    }
    TTempWorkDir Dir;
    TPtyLine Line{3};
    TScbDriver Driver;
};

} // namespace

TEST_F(BoardMessages, LineTextsAsTheBoardReceivesThem) {
    Driver.SetLineText(1, "    10203");
    EXPECT_EQ(Line.ReadBytes(17), Bytes({0x02, 0x4C, 0x30, 0x09, 0x41, 0x20, 0x20, 0x20, 0x20, 0x31,
                                         0x30, 0x32, 0x30, 0x33, 0x09, 0x0D, 0x0A}));
    Driver.SetLineText(1, "333333333");
    EXPECT_EQ(Line.ReadBytes(17), Bytes({0x02, 0x4C, 0x30, 0x09, 0x41, 0x33, 0x33, 0x33, 0x33, 0x33,
                                         0x33, 0x33, 0x33, 0x33, 0x09, 0x0D, 0x0A}));
    Driver.SetLineText(1, "1234567890AB");
    EXPECT_EQ(Line.ReadBytes(17), LineMessage('0', "123456789"));
    Driver.SetLineText(1, "42");
    EXPECT_EQ(Line.ReadBytes(17), LineMessage('0', "       42"));
    Driver.SetLineText(9, "7");
    EXPECT_EQ(Line.ReadBytes(17), LineMessage('8', "        7"));
}

TEST_F(BoardMessages, MinusReachesTheBoardAsAAndTheCallersBufferChanges) {
    Driver.SetLineText(1, "-00000005");
    EXPECT_EQ(Line.ReadBytes(17), LineMessage('0', "A00000005"));
    char text[] = "-00000005";
    Driver.QueueText(text);
    EXPECT_STREQ(text, "A00000005");
    EXPECT_EQ(Line.ReadBytes(9), "A00000005");
}

TEST_F(BoardMessages, LinesOutsideOneToNineAndEmptyTextsSendNothing) {
    Driver.SetLineText(0, "1");
    Driver.SetLineText(10, "1");
    Driver.SetLineText(-3, "1");
    char empty[] = "";
    Driver.QueueText(empty);
    EXPECT_EQ(Line.ReadUntilQuiet(350), "");
    EXPECT_EQ(Driver.SendingThread()->WritePosition(), 0);
}

TEST_F(BoardMessages, ClearBlanksTheNineLinesInOrderWithinOnePacingPeriod) {
    auto queued = std::chrono::steady_clock::now();
    Driver.Clear();
    std::string bytes = Line.ReadBytes(153, 2000);
    auto arrived = std::chrono::steady_clock::now();
    std::string expected;
    for (char wire = '0'; wire <= '8'; ++wire)
        expected += LineMessage(wire, "         ");
    EXPECT_EQ(bytes, expected);
    EXPECT_LT(arrived - queued, Scaled(std::chrono::seconds(1)));
}

TEST_F(BoardMessages, ManyMessagesKeepTheirOrder) {
    std::string expected;
    for (int round = 0; round < 5; ++round) {
        for (int n = 0; n < 200; ++n) {
            char text[16];
            std::snprintf(text, sizeof text, "%9d", round * 1000 + n);
            Driver.SetLineText(1 + n % 9, text);
            expected += LineMessage(static_cast<char>('0' + n % 9), text);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    EXPECT_EQ(Line.ReadBytes(expected.size(), 10000), expected);
}

TEST(BoardNone, SendsNothingAndStartsNoThread) {
    TTempWorkDir dir;
    TPtyLine line(3);
    TScbDriver driver;
    driver.Setup(TScbDriver::BoardNone, 0);
    EXPECT_EQ(driver.GetLineCount(), 1);
    EXPECT_EQ(driver.Open(), 0);
    EXPECT_FALSE(driver.HasThread());
    EXPECT_FALSE(driver.IsOpen());
    driver.Clear();
    driver.SetLineText(1, "        1");
    char text[] = "-1";
    driver.QueueText(text);
    EXPECT_STREQ(text, "-1"); // only the line-message board replaces the minus
    EXPECT_EQ(line.ReadUntilQuiet(300), "");
    EXPECT_EQ(driver.Close(), 0);
}

TEST(DriverSetup, RecordsTheBoardsLineParameters) {
    TScbDriver driver;
    EXPECT_EQ(driver.GetBoardCode(), 0);
    EXPECT_EQ(driver.GetPortCode(), 0);
    driver.Setup(TScbDriver::BoardLineMessage, 3);
    EXPECT_EQ(driver.GetLineCount(), 9);
    EXPECT_EQ(driver.GetPacingPeriod(), 100);
    EXPECT_EQ(driver.GetPortCode(), 3);
    EXPECT_EQ(driver.GetBaudRate(), 9600);
    EXPECT_EQ(driver.GetSendSize(), 10000);
    driver.Setup(TScbDriver::BoardNone, 0);
    EXPECT_EQ(driver.GetPortCode(), 3); // board 0 leaves the line parameters alone
    EXPECT_EQ(driver.GetLineCount(), 1);
    driver.Setup(TScbDriver::BoardLineMessage, 5);
    EXPECT_EQ(driver.GetPortCode(), 5);
}

TEST(DriverOpen, NoPortStillRunsTheThreadAndDropsEveryMessage) {
    TTempWorkDir dir;
    TScbDriver driver;
    driver.Setup(TScbDriver::BoardLineMessage, 0);
    EXPECT_EQ(driver.Open(), 0);
    EXPECT_TRUE(driver.HasThread());
    driver.Clear();
    TScbThread* thread = driver.SendingThread();
    EXPECT_TRUE(WaitFor([&] { return thread->ReadPosition() == thread->WritePosition(); }));
    EXPECT_EQ(driver.Close(), 0);
    EXPECT_FALSE(driver.HasThread());
    EXPECT_EQ(driver.Close(), 0);
}

TEST(DriverClose, EndsTheThreadWithinAPacingPeriodAndTwiceIsHarmless) {
    TTempWorkDir dir;
    TPtyLine line(1);
    TScbDriver driver;
    driver.Setup(TScbDriver::BoardLineMessage, 1);
    ASSERT_EQ(driver.Open(), 1);
    ASSERT_EQ(line.ReadBytes(BlankLines().size()), BlankLines());
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(driver.Close(), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, Scaled(std::chrono::seconds(1)));
    EXPECT_FALSE(driver.HasThread());
    EXPECT_EQ(driver.Close(), 0);
    ASSERT_EQ(driver.Open(), 1); // and the port is free again
    driver.SetLineText(1, "1");
    EXPECT_EQ(line.ReadBytes(BlankLines().size() + 17),
              BlankLines() + LineMessage('0', "        1"));
}

TEST(DriverVanish, PulledCableLosesMessagesQuietlyAndTheDriverRecovers) {
    TTempWorkDir dir;
    auto line = std::make_unique<TPtyLine>(1);
    TScbDriver driver;
    driver.Setup(TScbDriver::BoardLineMessage, 1);
    ASSERT_EQ(driver.Open(), 1);
    line->CloseMaster();
    for (int n = 0; n < 20; ++n)
        driver.Clear();
    // The sending thread lets go of the dead device at its next look; Close has no port left.
    EXPECT_TRUE(WaitFor([&] { return driver.HasVanished() && !driver.IsOpen(); }));
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(driver.Close(), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, Scaled(std::chrono::seconds(1)));
    line.reset();
    TPtyLine replugged(1);
    ASSERT_EQ(driver.Open(), 1);
    driver.SetLineText(2, "5");
    EXPECT_EQ(replugged.ReadBytes(BlankLines().size() + 17),
              BlankLines() + LineMessage('1', "        5"));
}
