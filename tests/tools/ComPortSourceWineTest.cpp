// The simulator's Windows line under Wine, against a pseudo-terminal mapped as COMn: what the
// other end sends is handed on whole and in order however it is cut, the reader is woken for it,
// a port that leads nowhere is no such port, and a pulled line is gone.
#include "tests/support/PtyLine.h"
#include "tests/support/TestBytes.h"
#include "tests/support/WaitFor.h"
#include "tools/boardsim/TComPortSource.h"

#include <atomic>
#include <gtest/gtest.h>
#include <string>

using testbytes::BlankLines;
using testbytes::LineMessage;
using testline::TPtyLine;
using testwait::WaitFor;
using namespace std::chrono_literals;

TEST(ComPortSource, HandsOnWhatArrivesInOrderAndTellsWhenTheLineGoes) {
    TPtyLine line(4);
    TComPortSource port(4);
    std::atomic<int> wakes{0};
    port.OnArrival([&] { ++wakes; });
    std::string reason;
    ASSERT_EQ(port.Open(reason), TComPortSource::TOpen::Opened) << reason;
    EXPECT_EQ(port.Path(), "\\\\.\\COM4");
    EXPECT_EQ(line.Settings(), "9600 8 N 1 ixon=0 opost=0");

    // A Clear and a value, in pieces cut across the messages, each sent once the last is read.
    const std::string sent = BlankLines() + LineMessage('0', "A00000005");
    std::string received;
    for (size_t at = 0; at < sent.size(); at += 23) {
        SCOPED_TRACE(at);
        line.Write(sent.substr(at, 23));
        ASSERT_TRUE(WaitFor([&] {
            port.Take(received, 50ms);
            return received.size() >= std::min(sent.size(), at + 23);
        }));
    }
    EXPECT_EQ(received, sent);
    EXPECT_GT(wakes.load(), 0);

    line.CloseMaster();
    std::string after;
    ASSERT_TRUE(WaitFor([&] { return port.Take(after, 50ms) == TComPortSource::TLine::Gone; }));
    EXPECT_EQ(after, "");
}

TEST(ComPortSource, APortThatLeadsNowhereIsNoSuchPort) {
    TComPortSource port(6); // COM6 leads nowhere
    std::string reason;
    EXPECT_EQ(port.Open(reason), TComPortSource::TOpen::NoSuchPort);
    EXPECT_FALSE(reason.empty());
}
