// Writes that never wait and never tear a message: scripted EAGAIN, short writes and a vanished
// device under the seam, then a real stalled line and a pulled cable on a pseudo-terminal.
#include "serial/TSerial.h"
#include "tests/support/PtyLine.h"
#include "tests/support/WaitFor.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <deque>
#include <gtest/gtest.h>
#include <string>

using testline::TPtyLine;
using testline::TTempWorkDir;
using testwait::Scaled;
using testwait::WaitFor;

namespace {

// Plays a script of outcomes, then passes every write through to the real descriptor.
class TScriptedWriter : public TLineWriter {
public:
    enum Kind { Again, Short, Vanish };
    struct Step {
        Kind kind;
        size_t bytes = 0; // for Short
    };
    std::deque<Step> Script;
    bool AlwaysAgain = false;
    int Calls = 0;

    ssize_t Write(int fd, const void* data, size_t size) override {
        ++Calls;
        if (AlwaysAgain) {
            errno = EAGAIN;
            return -1;
        }
        if (Script.empty())
            return TLineWriter::Write(fd, data, size);
        Step step = Script.front();
        Script.pop_front();
        switch (step.kind) {
        case Again:
            errno = EAGAIN;
            return -1;
        case Vanish:
            errno = EIO;
            return -1;
        case Short:
            return TLineWriter::Write(fd, data, std::min(size, step.bytes));
        }
        return -1;
    }
};

std::string Message(int n) {
    char text[32];
    std::snprintf(text, sizeof text, "\x02L0\tA%9d\t\r\n", n);
    return text;
}

class LineWrite : public testing::Test {
protected:
    void SetUp() override {
        Serial.SetLineParams(1, 9600, 8, 0, 0, 256, 10000);
        ASSERT_EQ(Serial.Open(), 1);
        Serial.UseWriter(&Writer);
    }
    TTempWorkDir Dir;
    TPtyLine Line{1};
    TScriptedWriter Writer;
    TSerial Serial;
};

} // namespace

TEST_F(LineWrite, BusyLineKeepsTheMessageWholeForTheNextWrite) {
    Writer.Script = {{TScriptedWriter::Again}};
    EXPECT_EQ(Serial.WriteText(Message(1).c_str()), 1);
    EXPECT_EQ(Serial.PendingBytes(), 17);
    EXPECT_EQ(Line.ReadUntilQuiet(100), "");
    EXPECT_EQ(Serial.WriteText(Message(2).c_str()), 1);
    EXPECT_EQ(Serial.PendingBytes(), 0);
    EXPECT_EQ(Line.ReadBytes(34), Message(1) + Message(2));
}

TEST_F(LineWrite, ShortWriteFinishesItsTailBeforeTheNextMessage) {
    Writer.Script = {{TScriptedWriter::Short, 5}, {TScriptedWriter::Again}};
    EXPECT_EQ(Serial.WriteText(Message(1).c_str()), 1);
    EXPECT_EQ(Serial.PendingBytes(), 12);
    EXPECT_EQ(Line.ReadBytes(5), Message(1).substr(0, 5));
    EXPECT_EQ(Serial.WritePending(), 0);
    EXPECT_EQ(Serial.WriteText(Message(2).c_str()), 1);
    EXPECT_EQ(Line.ReadBytes(29), Message(1).substr(5) + Message(2));
}

TEST_F(LineWrite, StalledLineFillsTheRingThenDropsWholeMessagesAndKeepsOrder) {
    Writer.AlwaysAgain = true;
    int accepted = 0;
    for (int n = 0; n < 700; ++n)
        accepted += Serial.WriteText(Message(n).c_str());
    EXPECT_EQ(accepted, 10000 / 17);
    EXPECT_EQ(Serial.PendingBytes(), accepted * 17);
    Writer.AlwaysAgain = false;
    EXPECT_EQ(Serial.WritePending(), 0);
    std::string expected;
    for (int n = 0; n < accepted; ++n)
        expected += Message(n);
    EXPECT_EQ(Line.ReadBytes(expected.size()), expected);
    EXPECT_EQ(Line.ReadUntilQuiet(100), "");
}

TEST_F(LineWrite, ARingWithATailCompactsRatherThanOverwriting) {
    std::string block(9980, 'x');
    ASSERT_EQ(Serial.WriteText(block.c_str()), 1);
    ASSERT_EQ(Line.ReadBytes(block.size()), block);
    Writer.Script = {
        {TScriptedWriter::Short, 3}, {TScriptedWriter::Again}, {TScriptedWriter::Again}};
    ASSERT_EQ(Serial.WriteText(Message(1).c_str()), 1); // 9980..9997, 14 bytes wait
    ASSERT_EQ(Serial.WriteText(Message(2).c_str()), 1); // does not fit after 9997
    EXPECT_EQ(Serial.WritePosition(), 34u - 3u);
    EXPECT_EQ(Serial.WritePending(), 0);
    EXPECT_EQ(Line.ReadBytes(34), Message(1) + Message(2));
}

TEST_F(LineWrite, VanishedDeviceLosesMessagesQuietlyAndCanBeReopened) {
    Writer.Script = {{TScriptedWriter::Vanish}};
    EXPECT_EQ(Serial.WriteText(Message(1).c_str()), 0);
    EXPECT_TRUE(Serial.HasVanished());
    int callsBefore = Writer.Calls;
    EXPECT_EQ(Serial.WriteText(Message(2).c_str()), 0);
    EXPECT_EQ(Writer.Calls, callsBefore); // no more writes to a dead descriptor
    EXPECT_EQ(Serial.Close(), 1);
    ASSERT_EQ(Serial.Open(), 1);
    EXPECT_FALSE(Serial.HasVanished());
    EXPECT_EQ(Serial.WriteText(Message(3).c_str()), 1);
    EXPECT_EQ(Line.ReadBytes(17), Message(3));
}

// A real pseudo-terminal whose far end has stopped reading (XOFF).
class StalledPty : public testing::Test {
protected:
    void SetUp() override {
        Serial.SetLineParams(1, 9600, 8, 0, 0, 256, 10000);
        ASSERT_EQ(Serial.Open(), 1);
        ASSERT_EQ(tcflow(Line.Slave, TCOOFF), 0);
    }
    TTempWorkDir Dir;
    TPtyLine Line{1};
    TSerial Serial;
};

TEST_F(StalledPty, NeverBlocksAndResumesWithWholeMessages) {
    int accepted = 0;
    auto start = std::chrono::steady_clock::now();
    for (int n = 0; n < 2000; ++n)
        accepted += Serial.WriteText(Message(n).c_str());
    auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(elapsed, Scaled(std::chrono::seconds(1))); // it never waited for the line
    EXPECT_GT(accepted, 0);
    EXPECT_LT(accepted, 2000);
    ASSERT_EQ(tcflow(Line.Slave, TCOON), 0);
    std::string bytes;
    ASSERT_TRUE(WaitFor([&] {
        bytes += Line.ReadUntilQuiet(100);
        return Serial.WritePending() == 0;
    }));
    bytes += Line.ReadUntilQuiet(200);
    ASSERT_EQ(bytes.size() % 17, 0u);
    ASSERT_EQ(bytes.size() / 17, static_cast<size_t>(accepted));
    for (int n = 0; n < accepted; ++n)
        ASSERT_EQ(bytes.substr(n * 17, 17), Message(n)) << n;
}

TEST_F(StalledPty, CloseReturnsPromptly) {
    for (int n = 0; n < 1000; ++n)
        Serial.WriteText(Message(n).c_str());
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Serial.Close(), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, Scaled(std::chrono::seconds(1)));
}

TEST(LineOnPty, PulledCableLosesMessagesQuietlyAndALaterOpenSucceeds) {
    TTempWorkDir dir;
    auto line = std::make_unique<TPtyLine>(1);
    TSerial serial;
    serial.SetLineParams(1, 9600, 8, 0, 0, 256, 10000);
    ASSERT_EQ(serial.Open(), 1);
    line->CloseMaster();
    EXPECT_EQ(serial.WriteText(Message(1).c_str()), 0);
    EXPECT_TRUE(serial.HasVanished());
    EXPECT_EQ(serial.WriteText(Message(2).c_str()), 0);
    EXPECT_EQ(serial.Close(), 1);
    line.reset();
    TPtyLine replugged(1);
    ASSERT_EQ(serial.Open(), 1);
    EXPECT_EQ(serial.WriteText(Message(3).c_str()), 1);
    EXPECT_EQ(replugged.ReadBytes(17), Message(3));
}
