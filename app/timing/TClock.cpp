#include "app/timing/TClock.h"

#include "app/timing/LocalTime.h"

#include <chrono>
#include <ctime>

uint32_t TSystemClock::TickCount() {
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<uint32_t>(ms); // keeps the low 32 bits: the counter wraps
}

TLocalTime TSystemClock::LocalTime() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    std::tm local{};
    ToLocalTime(seconds, local);
    const auto sinceEpoch = duration_cast<milliseconds>(now.time_since_epoch()).count();
    TLocalTime time;
    time.hour = local.tm_hour;
    time.minute = local.tm_min;
    time.second = local.tm_sec;
    time.milliseconds = static_cast<int>(((sinceEpoch % 1000) + 1000) % 1000);
    return time;
}
