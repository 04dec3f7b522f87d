// The driver keeping its line alive: a pulled cable, a held port, a re-pointed link are tried
// again from the sending thread (at once when the device watch sees the way change), the board
// is put right whenever the port opens, and a close in the middle of an outage stops the tries at
// once.
#include "scoreboard/TScbDriver.h"
#include "serial/TDeviceWatch.h"
#include "tests/support/PtyLine.h"
#include "tests/support/TestBytes.h"
#include "tests/support/WaitFor.h"

#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <sys/file.h>
#include <thread>

using testbytes::BlankLines;
using testbytes::LineMessage;
using testline::TPtyLine;
using testline::TTempWorkDir;
using namespace std::chrono_literals;

using testwait::Scaled;
using testwait::WaitFor;

namespace {

constexpr auto Period = 200ms;

class LineWatchdog : public testing::Test {
protected:
    void OpenOnCom1() {
        Driver.SetRetryPeriod(Period);
        Driver.Setup(TScbDriver::BoardLineMessage, 1);
        Driver.Open();
    }
    bool Becomes(TLineStatus status, std::chrono::milliseconds limit = 5 * Period) {
        return WaitFor([&] { return Driver.GetLineStatus() == status; }, limit);
    }

    TTempWorkDir Dir;
    std::unique_ptr<TPtyLine> Line = std::make_unique<TPtyLine>(1);
    TDeviceWatch Watch; // started only where a test needs it
    TScbDriver Driver;
};

struct TCatchUpCase {
    const char* name;
    int boardBefore; // None: the board type was changed; the line board: the port was changed
    bool counting;   // the next second's text follows at once
};

class CatchUpOnOpen : public LineWatchdog, public testing::WithParamInterface<TCatchUpCase> {};

// The board shows what the window shows as soon as the port opens, whatever was chosen before,
// and the next text follows it: nothing is missing and nothing comes twice.
TEST_P(CatchUpOnOpen, BlanksThenTheCurrentTextAtOnce) {
    Driver.Setup(GetParam().boardBefore, 2); // nothing behind Com2 here
    Driver.Open();
    Driver.SetLineText(1, "-       7");
    Driver.Close();
    Driver.Setup(TScbDriver::BoardLineMessage, 1);
    ASSERT_EQ(Driver.Open(), 1);
    std::string expected = BlankLines() + LineMessage('0', "A       7");
    if (GetParam().counting) {
        Driver.SetLineText(1, "        6");
        expected += LineMessage('0', "        6");
    }
    EXPECT_EQ(Line->ReadUntilQuiet(300), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Choices, CatchUpOnOpen,
    testing::Values(TCatchUpCase{"PortChangedStopped", TScbDriver::BoardLineMessage, false},
                    TCatchUpCase{"PortChangedCounting", TScbDriver::BoardLineMessage, true},
                    TCatchUpCase{"BoardChangedStopped", TScbDriver::BoardNone, false},
                    TCatchUpCase{"BoardChangedCounting", TScbDriver::BoardNone, true}),
    [](const auto& c) { return std::string(c.param.name); });

// The sending thread held after Open, so that the test takes its steps in a fixed order.
class TSteppedDriver : public TScbDriver {
public:
    void HoldSendingThread() {
        Thread->RequestStop();
        Thread->Join();
    }
};

// A text queued during an outage and still waiting when the port comes back goes out once: in
// the catch-up, not again from the queue at the next look.
TEST(ReplugCatchUp, SendsATextStillQueuedOnce) {
    TTempWorkDir dir;
    auto line = std::make_unique<TPtyLine>(1);
    TSteppedDriver driver;
    driver.Setup(TScbDriver::BoardLineMessage, 1);
    ASSERT_EQ(driver.Open(), 1);
    driver.HoldSendingThread();
    ASSERT_EQ(line->ReadBytes(BlankLines().size()), BlankLines());
    line->CloseMaster();
    driver.KeepLineAlive(true);
    ASSERT_EQ(driver.GetLineStatus(), TLineStatus::Unplugged);
    line.reset();
    driver.SetLineText(1, "       39");
    line = std::make_unique<TPtyLine>(1);
    driver.KeepLineAlive(true);
    ASSERT_EQ(driver.GetLineStatus(), TLineStatus::Working);
    driver.SendingThread()->SendPending(); // the next look
    EXPECT_EQ(line->ReadUntilQuiet(200), BlankLines() + LineMessage('0', "       39"));
}

// A link made while the port is missing is tried at once, not at the next once-a-second try.
TEST_F(LineWatchdog, DeviceWatchTriesANewLinkAtOnce) {
    ASSERT_TRUE(Watch.Start());
    Driver.UseDeviceWatch(&Watch);
    Line.reset();
    std::filesystem::create_symlink("/nonexistent/ttyUSB0", "ports/Com1"); // the adapter to come
    // The next periodic try stays well beyond this test's time, however slow the build.
    Driver.SetRetryPeriod(Scaled(2s));
    Driver.Setup(TScbDriver::BoardLineMessage, 1);
    Driver.Open();
    ASSERT_EQ(Driver.GetLineStatus(), TLineStatus::NoSuchPort);
    Driver.SetLineText(1, "        5");
    std::this_thread::sleep_for(Scaled(150ms)); // past the first look
    std::filesystem::remove("ports/Com1");
    Line = std::make_unique<TPtyLine>(1);
    const auto linked = std::chrono::steady_clock::now();
    const std::string expected = BlankLines() + LineMessage('0', "        5");
    EXPECT_EQ(Line->ReadBytes(expected.size(), 300 * KADRANT_TIME_SCALE), expected);
    EXPECT_LT(std::chrono::steady_clock::now() - linked, 300ms * KADRANT_TIME_SCALE);
    Driver.Close();
    Driver.UseDeviceWatch(nullptr);
}

TEST_F(LineWatchdog, PulledCableIsSeenAndTheReplugShowsTheLastTextOnce) {
    OpenOnCom1();
    ASSERT_EQ(Driver.GetLineStatus(), TLineStatus::Working);
    Driver.SetLineText(1, "       41");
    ASSERT_EQ(Line->ReadBytes(BlankLines().size() + 17),
              BlankLines() + LineMessage('0', "       41"));

    testing::internal::CaptureStderr();
    Line->CloseMaster(); // nothing is being written: the look alone must notice
    ASSERT_TRUE(Becomes(TLineStatus::Unplugged));
    EXPECT_FALSE(Driver.IsOpen()); // let go at once
    // The link goes with the adapter; the name must not fall back to a built-in port.
    Line.reset();
    // The count goes on during the outage; the board is owed only the latest value.
    Driver.SetLineText(1, "       40");
    std::this_thread::sleep_for(Scaled(3 * Period)); // tries that fail
    EXPECT_EQ(Driver.GetLineStatus(), TLineStatus::Unplugged);
    EXPECT_FALSE(Driver.IsOpen());
    Driver.SetLineText(1, "-      39");
    Line = std::make_unique<TPtyLine>(1);
    const auto replugged = std::chrono::steady_clock::now();
    ASSERT_TRUE(Becomes(TLineStatus::Working));
    EXPECT_LT(std::chrono::steady_clock::now() - replugged, 2 * Period + Scaled(300ms));
    EXPECT_EQ(Line->ReadUntilQuiet(3 * Period.count()),
              BlankLines() + LineMessage('0', "A      39"));
    Driver.SetLineText(1, "       38");
    EXPECT_EQ(Line->ReadBytes(17), LineMessage('0', "       38"));
    // One line for the loss and one for the return, not one per try.
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 2) << said;
    EXPECT_NE(said.find("Com1: unplugged"), std::string::npos) << said;
}

TEST_F(LineWatchdog, PortHeldAtOpenIsTakenWhenLetGoAndBlanked) {
    const int holder = open(Line->SlavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
    testing::internal::CaptureStderr();
    OpenOnCom1();
    Driver.Clear();
    EXPECT_EQ(Driver.GetLineStatus(), TLineStatus::InUse);
    std::this_thread::sleep_for(Scaled(3 * Period)); // tries that fail
    EXPECT_EQ(Driver.GetLineStatus(), TLineStatus::InUse);
    EXPECT_EQ(Line->ReadUntilQuiet(50), "");
    close(holder);
    ASSERT_TRUE(Becomes(TLineStatus::Working));
    EXPECT_EQ(Line->ReadUntilQuiet(3 * Period.count()), BlankLines());
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 2) << said;
}

TEST_F(LineWatchdog, ReplugThatIsHeldByAnotherProgramChangesTheReasonAndKeepsTrying) {
    OpenOnCom1();
    Line->CloseMaster();
    ASSERT_TRUE(Becomes(TLineStatus::Unplugged));
    Line.reset();
    Line = std::make_unique<TPtyLine>(1);
    const int holder = open(Line->SlavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
    ASSERT_TRUE(Becomes(TLineStatus::InUse));
    close(holder);
    ASSERT_TRUE(Becomes(TLineStatus::Working));
}

TEST_F(LineWatchdog, RepointedLinkIsFollowedWithTheBoardPutRight) {
    OpenOnCom1();
    Driver.SetLineText(1, "        9");
    ASSERT_EQ(Line->ReadBytes(BlankLines().size() + 17),
              BlankLines() + LineMessage('0', "        9"));
    std::filesystem::remove("ports/Com1");
    TPtyLine other(1);
    EXPECT_EQ(other.ReadUntilQuiet(5 * Period.count()),
              BlankLines() + LineMessage('0', "        9"));
    EXPECT_EQ(Driver.GetLineStatus(), TLineStatus::Working);
}

TEST_F(LineWatchdog, CloseDuringAnOutageIsPromptAndEndsTheTries) {
    Line.reset();
    std::filesystem::create_symlink("/nonexistent/ttyUSB0", "ports/Com1");
    OpenOnCom1();
    ASSERT_EQ(Driver.GetLineStatus(), TLineStatus::NoSuchPort);
    std::this_thread::sleep_for(Scaled(Period + 50ms));         // a try is due about now
    EXPECT_EQ(Driver.GetLineStatus(), TLineStatus::NoSuchPort); // it never worked: not unplugged
    const auto begin = std::chrono::steady_clock::now();
    Driver.Close();
    EXPECT_LT(std::chrono::steady_clock::now() - begin, Scaled(150ms));
    EXPECT_EQ(Driver.GetLineStatus(), TLineStatus::Off);
    // The port appears after the close: nobody takes it.
    std::filesystem::remove("ports/Com1");
    TPtyLine late(1);
    std::this_thread::sleep_for(Scaled(3 * Period)); // tries that fail
    const int other = open(late.SlavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    EXPECT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
    close(other);
    EXPECT_FALSE(Driver.IsOpen());
}

TEST_F(LineWatchdog, NoPortOrNoBoardIsOffAndNeverTried) {
    for (auto [board, port] :
         {std::pair{TScbDriver::BoardLineMessage, 0}, std::pair{TScbDriver::BoardNone, 1}}) {
        Driver.Close();
        Driver.SetRetryPeriod(Period);
        Driver.Setup(board, port);
        Driver.Open();
        std::this_thread::sleep_for(Scaled(2 * Period)); // tries that must not come
        EXPECT_EQ(Driver.GetLineStatus(), TLineStatus::Off) << board << " " << port;
        EXPECT_FALSE(Driver.IsOpen());
    }
}

} // namespace
