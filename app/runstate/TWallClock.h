// The wall clock, for what must outlive the program: milliseconds since the epoch in UTC, so that
// a change to or from daylight saving time moves nothing. Behind an interface so tests set it.
#pragma once

#include <chrono>
#include <cstdint>

class TWallClock {
public:
    virtual ~TWallClock() = default;
    virtual int64_t NowMs() = 0;
};

class TSystemWallClock : public TWallClock {
public:
    int64_t NowMs() override {
        using namespace std::chrono;
        return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    }
};
