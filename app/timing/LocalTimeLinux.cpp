#include "app/timing/LocalTime.h"

bool ToLocalTime(std::time_t seconds, std::tm& local) {
    return localtime_r(&seconds, &local) != nullptr;
}
