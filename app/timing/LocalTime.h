// The local time zone's broken-down time of a moment, the one call that differs between the
// platforms (LocalTimeLinux.cpp, LocalTimeWindows.cpp). Safe from any thread.
#pragma once

#include <ctime>

// False when the moment cannot be expressed (local is then left as it was).
bool ToLocalTime(std::time_t seconds, std::tm& local);
