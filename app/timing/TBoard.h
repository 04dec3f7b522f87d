// Where the timing functions send what the display board shows.
#pragma once

class TBoard {
public:
    virtual ~TBoard() = default;
    // Shows a nine-character text on a line of the board; returns at once.
    virtual void SetLineText(int line, const char* text) = 0;
    // Blanks the board; returns at once.
    virtual void Clear() = 0;
};
