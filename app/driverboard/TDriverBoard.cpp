#include "app/driverboard/TDriverBoard.h"

#include "scoreboard/TScbDriver.h"

void TDriverBoard::SetLineText(int line, const char* text) {
    Driver.SetLineText(line, text);
}

void TDriverBoard::Clear() {
    Driver.Clear();
}
