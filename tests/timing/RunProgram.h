// One start of the program on "kadrant.run" in the current directory, on simulated clocks: shared
// by the run state tests of every platform.
#pragma once

#include "TimingFakes.h"
#include "app/runstate/TRunKeeper.h"

#include <cstring>
#include <string>
#include <vector>

class TFakeWall : public TWallClock {
public:
    int64_t NowMs() override { return ms; }
    int64_t ms = 1718000000000;
};

// The record, the timing functions and the keeper on the file.
struct TProgram {
    TProgram(uint32_t tick, int32_t function) {
        clock.tick = tick;
        clock.time = {14, 2, 31, 0};
        settings.functionCode = function;
        std::strcpy(settings.soundFile, "bell.wav");
        timing.OnRunChanged = [this] { keeper.Changed(); };
    }
    void Press(int id, int times = 1) {
        for (int i = 0; i < times; ++i) {
            timing.SelectFirstStartTime();
            timing.DoCommand(id);
        }
    }
    void Run(int ms) {
        for (int i = 0; i < ms / 100; ++i) {
            clock.tick += 100;
            wall.ms += 100;
            timing.OnTimerTick();
        }
    }

    TSettingsRecord settings{};
    TFakeHost host;
    TRecordingBoard board;
    TFakeClock clock;
    TFakeWall wall;
    TRecordingSound sound;
    std::vector<std::string> said;
    TTimingFunctions timing{settings, host, board, clock, sound};
    TRunKeeper keeper{
        settings, timing,           clock,
        wall,     RunStateFileName, [this](const std::string& line) { said.push_back(line); }};
};
