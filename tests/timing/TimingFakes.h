// Stand-ins for the main dialog, the board, the clock and the sound player, recording what the
// timing functions do to them.
#pragma once

#include "app/timing/TBoard.h"
#include "app/timing/TClock.h"
#include "app/timing/TSoundPlayer.h"
#include "app/timing/TTimingFunctions.h"

#include <cstdint>
#include <string>
#include <vector>

struct TDisplayCall {
    int32_t value;
    bool blankLeading;
    bool blankZero;
    bool operator==(const TDisplayCall&) const = default;
};

class TFakeHost : public TTimingHost {
public:
    bool Updating() const override { return updating; }
    void TransferFromControls() override { ++transfers; }
    void UpdateControlStates() override { ++controlStateUpdates; }
    void FocusControl(int controlId) override { focused.push_back(controlId); }
    void SetDisplayValue(int32_t value, bool blankLeading, bool blankZero) override {
        display.push_back({value, blankLeading, blankZero});
    }
    void RestartTick(int firstDelayMs) override { tickRestarts.push_back(firstDelayMs); }

    bool updating = false;
    int transfers = 0;
    int controlStateUpdates = 0;
    std::vector<int> focused;
    std::vector<TDisplayCall> display;
    std::vector<int> tickRestarts;
};

// Records line texts in order; a Clear is recorded as "<clear>".
class TRecordingBoard : public TBoard {
public:
    void SetLineText(int line, const char* text) override {
        texts.push_back(line == 1 ? std::string(text) : "<line " + std::to_string(line) + ">");
    }
    void Clear() override { texts.push_back("<clear>"); }

    std::vector<std::string> texts;
};

class TFakeClock : public TClock {
public:
    uint32_t TickCount() override { return tick; }
    TLocalTime LocalTime() override { return time; }

    uint32_t tick = 0;
    TLocalTime time;
};

class TRecordingSound : public TSoundPlayer {
public:
    void Play(const char* path) override { played.push_back(path); }

    std::vector<std::string> played;
};
