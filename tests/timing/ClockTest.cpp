#include "ScopedZone.h"
#include "app/timing/TClock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
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

// In a zone 5:30 ahead of UTC (a zone given by its rule: no time-zone files needed), the local
// time of day is the system clock's moved by the zone, to the millisecond, read between two
// readings of that clock: the zone is applied, and seconds and milliseconds come from one reading.
TEST(SystemClockTest, LocalTimeIsTheZonesTimeOfDayToTheMillisecond) {
    using namespace std::chrono;
    constexpr int64_t DayMs = 86400000;
    constexpr int64_t AheadMs = (5 * 60 + 30) * 60000;
    TSystemClock clock;
    system_clock::time_point before, after;
    TLocalTime now;
    {
        const TScopedZone zone("KDT-5:30");
        before = system_clock::now();
        now = clock.LocalTime();
        after = system_clock::now();
    }

    const auto ofDay = [&](system_clock::time_point t) {
        const int64_t ms = duration_cast<milliseconds>(t.time_since_epoch()).count();
        return (ms + AheadMs) % DayMs;
    };
    const int64_t ours =
        ((now.hour * 60LL + now.minute) * 60 + now.second) * 1000 + now.milliseconds;
    // Measured from the first reading, so that a midnight in between changes nothing.
    EXPECT_LE((ours - ofDay(before) + DayMs) % DayMs,
              (ofDay(after) - ofDay(before) + DayMs) % DayMs)
        << now.hour << ":" << now.minute << ":" << now.second << "." << now.milliseconds;
}

} // namespace
