// A stop from outside (SIGTERM, SIGINT, SIGHUP) becomes a close on the window's thread, so the
// settings are saved; it must not end the process on the spot.
#include "app/window/TTerminationSignals.h"
#include "tests/support/WaitFor.h"

#include <QTest>
#include <csignal>
#include <gtest/gtest.h>

namespace {

// The close runs from the event loop: it is kept turning while waiting.
bool WaitFor(const int& counter, int wanted) {
    return QTest::qWaitFor([&] { return counter >= wanted; }, testwait::ScaledMs(5000));
}

} // namespace

TEST(TerminationSignals, EachStopSignalRunsTheCloseOnTheEventLoop) {
    int closes = 0;
    TTerminationSignals stops([&closes] { ++closes; });
    ASSERT_TRUE(stops.IsActive());

    ASSERT_EQ(raise(SIGTERM), 0);
    EXPECT_EQ(closes, 0) << "the handler itself must not run the close";
    EXPECT_TRUE(WaitFor(closes, 1));
    ASSERT_EQ(raise(SIGINT), 0);
    EXPECT_TRUE(WaitFor(closes, 2));
    ASSERT_EQ(raise(SIGHUP), 0);
    EXPECT_TRUE(WaitFor(closes, 3));
}

TEST(TerminationSignals, OnlyOneInstanceOwnsTheSignalsAndANewOneMayFollowIt) {
    int first = 0, second = 0;
    {
        TTerminationSignals owner([&first] { ++first; });
        TTerminationSignals other([&second] { ++second; });
        EXPECT_TRUE(owner.IsActive());
        EXPECT_FALSE(other.IsActive());
        raise(SIGTERM);
        EXPECT_TRUE(WaitFor(first, 1));
        EXPECT_EQ(second, 0);
    }
    TTerminationSignals next([&second] { ++second; });
    EXPECT_TRUE(next.IsActive());
    raise(SIGTERM);
    EXPECT_TRUE(WaitFor(second, 1));
}
