// The simulator's Windows line under Wine, against a pseudo-terminal mapped as COMn: what the
// other end sends is handed on whole and in order however it is cut, the reader is woken for it,
// a pulled line is gone and the put-back one opens again, and a port that leads nowhere is no
// such port.
#include "tests/support/PtyLine.h"
#include "tests/support/TestBytes.h"
#include "tests/support/WaitFor.h"
#include "tools/boardsim/TComPortSource.h"

#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <string>

using testbytes::BlankLines;
using testbytes::LineMessage;
using testline::TPtyLine;
using testwait::WaitFor;
using namespace std::chrono_literals;

TEST(ComPortSource, HandsOnWhatArrivesInOrderAndTellsWhenTheLineGoes) {
    auto line = std::make_unique<TPtyLine>(4);
    TComPortSource port(4);
    std::atomic<int> wakes{0};
    port.OnArrival([&] { ++wakes; });
    std::string reason;
    ASSERT_EQ(port.Open(reason), TComPortSource::TOpen::Opened) << reason;
    EXPECT_EQ(port.Path(), "\\\\.\\COM4");
    EXPECT_EQ(line->Settings(), "9600 8 N 1 ixon=0 opost=0");

    // A Clear and a value, in pieces cut across the messages, each sent once the last is read.
    const std::string sent = BlankLines() + LineMessage('0', "A00000005");
    std::string received;
    for (size_t at = 0; at < sent.size(); at += 23) {
        SCOPED_TRACE(at);
        line->Write(sent.substr(at, 23));
        ASSERT_TRUE(WaitFor([&] {
            port.Take(received, 50ms);
            return received.size() >= std::min(sent.size(), at + 23);
        }));
    }
    EXPECT_EQ(received, sent);
    EXPECT_GT(wakes.load(), 0);

    line->CloseMaster();
    std::string after;
    ASSERT_TRUE(WaitFor([&] { return port.Take(after, 50ms) == TComPortSource::TLine::Gone; }));
    EXPECT_EQ(after, "");

    // The cable put back: the window's next try opens it afresh and reads on. This source is
    // still waiting for bytes when it goes, which must end its reading thread.
    line = std::make_unique<TPtyLine>(4);
    TComPortSource again(4);
    ASSERT_EQ(again.Open(reason), TComPortSource::TOpen::Opened) << reason;
    line->Write(LineMessage('1', "    10203"));
    std::string more;
    ASSERT_TRUE(WaitFor([&] {
        again.Take(more, 50ms);
        return more.size() >= 17;
    }));
    EXPECT_EQ(more, LineMessage('1', "    10203"));
}

TEST(ComPortSource, APortThatLeadsNowhereIsNoSuchPort) {
    TComPortSource port(6); // COM6 leads nowhere
    std::string reason;
    EXPECT_EQ(port.Open(reason), TComPortSource::TOpen::NoSuchPort);
    EXPECT_FALSE(reason.empty());
}
