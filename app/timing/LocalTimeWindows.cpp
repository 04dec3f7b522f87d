#include "app/timing/LocalTime.h"

bool ToLocalTime(std::time_t seconds, std::tm& local) {
    // The C runtime's zone, TZ included, as localtime_r has it on Linux.
    return localtime_s(&local, &seconds) == 0;
}
