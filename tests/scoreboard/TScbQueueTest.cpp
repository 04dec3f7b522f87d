// The transmission queue's positions, driven step by step without the thread running.
#include "scoreboard/TScbDriver.h"
#include "tests/support/PtyLine.h"

#include <gtest/gtest.h>
#include <string>

using testline::TPtyLine;
using testline::TTempWorkDir;

namespace {

// Fills the queue up to the given write position with messages of at most 510 bytes.
void FillTo(TScbThread& queue, int position) {
    while (queue.WritePosition() < position) {
        int room = position - queue.WritePosition();
        std::string text(std::min(room, TScbThread::MaxMessageLength + 1) - 1, 'q');
        ASSERT_EQ(queue.Append(text.c_str()), 1);
    }
    ASSERT_EQ(queue.WritePosition(), position);
}

const char* const Seventeen = "\x02L0\tA        1\t\r\n";

class TransmissionQueue : public testing::Test {
protected:
    void SetUp() override { Driver.Setup(TScbDriver::BoardLineMessage, 0); }
    TScbDriver Driver; // never opened: what the queue sends is dropped at the closed port
    TScbThread Queue{Driver};
};

} // namespace

TEST_F(TransmissionQueue, AMessageNeedsMoreRoomThanItsLength) {
    FillTo(Queue, 19983);
    EXPECT_EQ(Queue.Append(Seventeen), 0);
    EXPECT_EQ(Queue.WritePosition(), 19983);
}

TEST_F(TransmissionQueue, AMessageMayFillTheBufferExactly) {
    FillTo(Queue, 19982);
    EXPECT_EQ(Queue.Append(Seventeen), 1);
    EXPECT_EQ(Queue.WritePosition(), 20000);
    EXPECT_EQ(Queue.Append("x"), 0);
}

TEST_F(TransmissionQueue, SpaceComesBackOnlyOnceEverythingIsSent) {
    ASSERT_EQ(Queue.Append(Seventeen), 1);
    ASSERT_EQ(Queue.Append(Seventeen), 1);
    EXPECT_EQ(Queue.ReadPosition(), 0);
    EXPECT_EQ(Queue.WritePosition(), 36);
    Queue.SendPending();
    EXPECT_EQ(Queue.ReadPosition(), 36);
    ASSERT_EQ(Queue.Append(Seventeen), 1);
    EXPECT_EQ(Queue.ReadPosition(), 0);
    EXPECT_EQ(Queue.WritePosition(), 18);
}

TEST_F(TransmissionQueue, EmptyAndOverlongMessagesAreNotQueued) {
    EXPECT_EQ(Queue.Append(""), 0);
    std::string longest(TScbThread::MaxMessageLength, 'x');
    std::string tooLong(TScbThread::MaxMessageLength + 1, 'x');
    std::string huge(30000, 'x');
    EXPECT_EQ(Queue.Append(tooLong.c_str()), 0);
    EXPECT_EQ(Queue.Append(huge.c_str()), 0);
    EXPECT_EQ(Queue.WritePosition(), 0);
    EXPECT_EQ(Queue.Append(longest.c_str()), 1);
    EXPECT_EQ(Queue.WritePosition(), 511);
}

TEST(QueueOnPty, TheLongestMessageArrivesWholeAndALongerOneIsDropped) {
    TTempWorkDir dir;
    TPtyLine line(2);
    TScbDriver driver;
    driver.Setup(TScbDriver::BoardLineMessage, 2);
    ASSERT_EQ(driver.Open(), 1);
    std::string tooLong(600, 'y');
    driver.QueueText(tooLong.data());
    std::string longest(TScbThread::MaxMessageLength, 'z');
    driver.QueueText(longest.data());
    line.ReadBytes(9 * 17); // the opening's catch-up
    EXPECT_EQ(line.ReadBytes(longest.size() + 1, 1500), longest);
}
