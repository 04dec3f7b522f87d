#include "app/timing/TClock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <thread>

namespace {

TEST(SystemClockTest, TickCountAdvancesInMilliseconds) {
    TSystemClock clock;
    const uint32_t before = clock.TickCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const uint32_t elapsed = clock.TickCount() - before; // wrap-safe difference
    EXPECT_GE(elapsed, 50u);
    EXPECT_LT(elapsed, 60000u);
}

TEST(SystemClockTest, LocalTimeIsTheSystemsTimeOfDay) {
    TSystemClock clock;
    const TLocalTime now = clock.LocalTime();
    const std::time_t seconds = std::time(nullptr);
    std::tm local{};
    localtime_r(&seconds, &local);

    EXPECT_GE(now.hour, 0);
    EXPECT_LT(now.hour, 24);
    EXPECT_LT(now.minute, 60);
    EXPECT_LT(now.second, 61);
    EXPECT_GE(now.milliseconds, 0);
    EXPECT_LT(now.milliseconds, 1000);
    const int ours = now.hour * 3600 + now.minute * 60 + now.second;
    const int theirs = local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
    const int apart = (theirs - ours + 86400) % 86400;
    EXPECT_LE(apart, 2);
}

} // namespace
