// The board as the scoreboard driver reaches it.
#pragma once

#include "app/timing/TBoard.h"

class TScbDriver;

class TDriverBoard : public TBoard {
public:
    explicit TDriverBoard(TScbDriver& driver) : Driver(driver) {}

    void SetLineText(int line, const char* text) override;
    void Clear() override;

private:
    TScbDriver& Driver;
};
