// The serial line misbehaving under a running count-down: a stalled line, a peer that stops
// reading, a peer that vanishes, a port another program holds, and a storm of port and board
// changes. Whatever the line does, the on-screen count goes on every second and the UI thread is
// never held.
#include "FaultsFixture.h"

#include "scoreboard/TScbDriver.h"

#include <QComboBox>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

namespace faults {
namespace {

constexpr std::size_t MessageSize = 17;

class LineFaults : public ProgramUnderFaults {
protected:
    // A count-down from one hour running on Com1, the opening and the first value read off.
    void StartRunningCountDown() {
        WriteFile(SettingsFileName, RecordBytes(CountDownRecord()));
        Start();
        ASSERT_EQ(Com1->ReadBytes(BlankLines().size()), BlankLines());
        StartCountDown();
        ASSERT_EQ(Shown(), Hhmmss(Count));
        // RESET and START both send the start value.
        ASSERT_EQ(Com1->ReadBytes(2 * MessageSize), ValueMessage(10000) + ValueMessage(10000));
    }

    // One counted second: the tick returns at once and the display shows the next value; then
    // the event loop runs for a while, so the sending thread meets the line as it is.
    void CountOneSecond(int pumpMs = 100) {
        const auto held = Second();
        --Count;
        EXPECT_LT(held, HandlerLimit);
        EXPECT_EQ(Shown(), Hhmmss(Count));
        QTest::qWait(pumpMs);
    }

    // The user picks the port again: another entry, then the one wanted.
    void PickPortAgain(int comboIndex) {
        auto* ports = qobject_cast<QComboBox*>(Dialog->Control(IdPort));
        ASSERT_NE(ports, nullptr);
        const auto begin = std::chrono::steady_clock::now();
        ports->setCurrentIndex(comboIndex == 0 ? 1 : 0);
        ports->setCurrentIndex(comboIndex);
        EXPECT_LT(std::chrono::steady_clock::now() - begin, 2 * HandlerLimit);
        EXPECT_EQ(Program.Settings.portCode, comboIndex);
    }

    // The messages of the values shown from count `from` down to `to`, in order.
    static std::string CountedMessages(int32_t from, int32_t to) {
        std::string bytes;
        for (int32_t count = from; count >= to; --count)
            bytes += ValueMessage(Hhmmss(count));
        return bytes;
    }

    int32_t Count = 3600;
};

TEST_F(LineFaults, StalledLineHoldsBackTheBoardButNotTheCountAndCatchesUpAfterwards) {
    ASSERT_NO_FATAL_FAILURE(StartRunningCountDown());
    TUiHeartbeat heartbeat;

    // Output suspended at the program's end of the line: every write meets a full line.
    ASSERT_EQ(::tcflow(Com1->Slave, TCOOFF), 0);
    const int32_t before = Count;
    for (int second = 0; second < 30; ++second)
        CountOneSecond();
    EXPECT_EQ(Com1->ReadUntilQuiet(300), "");
    EXPECT_LT(heartbeat.LongestGap(), HandlerLimit);

    // The line flows again: every value held back arrives, in order, nothing lost or doubled.
    ASSERT_EQ(::tcflow(Com1->Slave, TCOON), 0);
    const std::string held = CountedMessages(before - 1, Count);
    EXPECT_EQ(Com1->ReadBytes(held.size()), held);
    CountOneSecond(0);
    EXPECT_EQ(Com1->ReadBytes(MessageSize), ValueMessage(Hhmmss(Count)));
}

TEST_F(LineFaults, PeerThatStopsReadingNeverHoldsTheCountOrAPortChange) {
    ASSERT_NO_FATAL_FAILURE(StartRunningCountDown());
    TUiHeartbeat heartbeat;

    // Fill the line up to what the terminal buffers: the peer reads nothing from now on.
    ASSERT_EQ(::fcntl(Com1->Slave, F_SETFL, ::fcntl(Com1->Slave, F_GETFL) | O_NONBLOCK), 0);
    const std::string filler(4096, 'x');
    std::size_t buffered = 0;
    for (;;) {
        const ssize_t put = ::write(Com1->Slave, filler.data(), filler.size());
        if (put <= 0) {
            ASSERT_TRUE(errno == EAGAIN || errno == EWOULDBLOCK) << errno;
            break;
        }
        buffered += static_cast<std::size_t>(put);
    }
    ASSERT_GT(buffered, 0u);

    for (int second = 0; second < 20; ++second)
        CountOneSecond();
    // Picking the port again while bytes wait on a full line: closing the port must not wait
    // for them.
    PickPortAgain(1);
    for (int second = 0; second < 10; ++second)
        CountOneSecond();
    EXPECT_LT(heartbeat.LongestGap(), HandlerLimit);

    // The peer reads again: whatever was dropped on the way, the board ends on the value shown.
    const std::string arrived = Com1->ReadUntilQuiet(500, 20000);
    ASSERT_GE(arrived.size(), MessageSize);
    EXPECT_EQ(arrived.substr(arrived.size() - MessageSize), ValueMessage(Hhmmss(Count)));
    CountOneSecond(0);
    EXPECT_EQ(Com1->ReadBytes(MessageSize), ValueMessage(Hhmmss(Count)));
}

TEST_F(LineFaults, VanishedPeerLeavesTheCountOnScreenAndTheBoardComesBackWithTheCount) {
    ASSERT_NO_FATAL_FAILURE(StartRunningCountDown());
    TUiHeartbeat heartbeat;

    Com1->CloseMaster();
    for (int second = 0; second < 5; ++second)
        CountOneSecond(150);
    // The writes failed: the line knows its device is gone.
    EXPECT_TRUE(Program.Driver.HasVanished());
    EXPECT_TRUE(Program.Driver.HasThread());

    // The board comes back as a new device under the same name: the line heals by itself (the
    // device watch, or the once-a-second look) and the board shows the count at once.
    NewCom1();
    const std::string caughtUp = BlankLines() + ValueMessage(Hhmmss(Count));
    EXPECT_EQ(Com1->ReadBytes(caughtUp.size()), caughtUp);
    // A user who picks the port as well gets one more blank-and-show, and nothing else: the
    // healed line is not opened a third time.
    PickPortAgain(1);
    EXPECT_EQ(Com1->ReadBytes(caughtUp.size()), caughtUp);
    EXPECT_FALSE(Program.Driver.HasVanished());
    for (int second = 0; second < 3; ++second) {
        CountOneSecond(0);
        EXPECT_EQ(Com1->ReadBytes(MessageSize), ValueMessage(Hhmmss(Count)));
    }
    EXPECT_LT(heartbeat.LongestGap(), HandlerLimit);
}

TEST_F(LineFaults, PortHeldByAnotherProgramRunsTheCountOnScreenOnly) {
    // Another program has the port for its exclusive use.
    const int other = ::open(Com1->SlavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);

    WriteFile(SettingsFileName, RecordBytes(CountDownRecord()));
    Start();
    EXPECT_FALSE(Program.Driver.IsOpen());
    EXPECT_TRUE(Program.Driver.HasThread());
    StartCountDown();
    EXPECT_EQ(Shown(), Hhmmss(Count));
    for (int second = 0; second < 5; ++second) {
        const auto held = Second();
        --Count;
        EXPECT_LT(held, HandlerLimit);
        EXPECT_EQ(Shown(), Hhmmss(Count));
    }
    EXPECT_EQ(Com1->ReadUntilQuiet(400), "");

    // Once the other program lets go, picking the port again reaches the board.
    ::close(other);
    auto* ports = qobject_cast<QComboBox*>(Dialog->Control(IdPort));
    ASSERT_NE(ports, nullptr);
    ports->setCurrentIndex(0);
    ports->setCurrentIndex(1);
    EXPECT_TRUE(Program.Driver.IsOpen());
    EXPECT_EQ(Com1->ReadBytes(BlankLines().size() + MessageSize),
              BlankLines() + ValueMessage(Hhmmss(Count)));
    Second();
    --Count;
    EXPECT_EQ(Com1->ReadBytes(MessageSize), ValueMessage(Hhmmss(Count)));
}

TEST_F(LineFaults, ThousandPortAndBoardChangesWhileCountingNeitherLeakNorDeadlock) {
    ASSERT_NO_FATAL_FAILURE(StartRunningCountDown());
    auto* ports = qobject_cast<QComboBox*>(Dialog->Control(IdPort));
    auto* boards = qobject_cast<QComboBox*>(Dialog->Control(IdBoardType));
    ASSERT_NE(ports, nullptr);
    ASSERT_NE(boards, nullptr);
    TUiHeartbeat heartbeat;

    // Com1 (the pseudo-terminal), Com2 (no device), "N.C.", and the board switched on and off.
    const int portSequence[] = {1, 2, 0, 1, 2};
    auto slowest = std::chrono::steady_clock::duration::zero();
    for (int change = 0; change < 1000; ++change) {
        const auto begin = std::chrono::steady_clock::now();
        if (change % 3 == 2)
            boards->setCurrentIndex(boards->currentIndex() == 0 ? 1 : 0);
        else
            ports->setCurrentIndex(portSequence[change % 5]);
        slowest = std::max(slowest, std::chrono::steady_clock::now() - begin);
        if (change % 50 == 0) {
            const auto held = Second();
            --Count;
            EXPECT_LT(held, HandlerLimit);
            ASSERT_EQ(Shown(), Hhmmss(Count)) << "after change " << change;
            Com1->ReadUntilQuiet(0, 100);
            QCoreApplication::processEvents();
        }
    }
    EXPECT_LT(slowest, HandlerLimit);
    EXPECT_LT(heartbeat.LongestGap(), HandlerLimit);

    // Settled on the board and Com1, the next value reaches the line.
    boards->setCurrentIndex(1);
    ports->setCurrentIndex(2);
    ports->setCurrentIndex(1);
    ASSERT_EQ(Program.Driver.GetBoardCode(), TScbDriver::BoardLineMessage);
    ASSERT_EQ(Program.Driver.GetPortCode(), 1);
    ASSERT_TRUE(Program.Driver.IsOpen());
    const std::string arrived = Com1->ReadUntilQuiet(400);
    const std::string caughtUp = BlankLines() + ValueMessage(Hhmmss(Count));
    ASSERT_GE(arrived.size(), caughtUp.size());
    EXPECT_EQ(arrived.substr(arrived.size() - caughtUp.size()), caughtUp);
    Second();
    --Count;
    EXPECT_EQ(Shown(), Hhmmss(Count));
    EXPECT_EQ(Com1->ReadBytes(MessageSize), ValueMessage(Hhmmss(Count)));
}

} // namespace
} // namespace faults
