// Where the full-screen board draws its lines: a whole number of pixels per dot, as large as the
// screen allows with a margin all round, the block of lines centred. Kept free of any window so
// that the sizes can be checked for any screen.
#pragma once

#include <string>
#include <vector>

struct TTvLayout {
    static constexpr int MarginPercent = 5; // on each side, of the width and of the height
    static constexpr int CellDots = 6;      // five lit columns and a gap
    static constexpr int GlyphDots = 5;
    static constexpr int GlyphRows = 7;
    static constexpr int LineDots = 9; // seven lit rows and a gap of two
    static constexpr int Characters = 9;
    static constexpr int LineWidthDots = Characters * CellDots - 1;

    int Dot = 0; // pixels from one dot's centre to the next
    int Left = 0;
    int Top = 0;
    int Lines = 1;

    // Zero screen size or no line gives Dot 0: nothing to draw.
    static TTvLayout For(int screenWidth, int screenHeight, int lineCount);

    int LineWidth() const { return LineWidthDots * Dot; }
    int DigitWidth() const { return GlyphDots * Dot; }
    int DigitHeight() const { return GlyphRows * Dot; }
    int BlockHeight() const { return (Lines * LineDots - 2) * Dot; }
    int CellLeft(int column) const { return Left + column * CellDots * Dot; }
    int LineTop(int line) const { return Top + line * LineDots * Dot; }
};

// Which of the connected screens (their names, in the system's order) the board goes on: the one
// named `wantedName` (what screen number `wanted` was called when last seen) while it is there,
// otherwise number `wanted` (1-based), or the last one when fewer are connected, so that an
// unplugged TV sends the board to the remaining screen and plugging it back brings it home.
// -1 when there is no screen.
int PickTvScreen(const std::vector<std::string>& names, int wanted, const std::string& wantedName);
