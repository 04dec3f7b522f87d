// What the board shows: nine lines of nine characters, blank at power-on.
#pragma once

#include "tools/boardsim/TBoardMessageParser.h"

#include <array>
#include <string>

class TBoardLines {
public:
    static constexpr int LineCount = 9;
    static constexpr int Width = 9;

    TBoardLines() { Lines.fill(std::string(Width, ' ')); }

    // Takes a message; true when it changed what the board shows.
    bool Apply(const TBoardEvent& event);

    const std::string& Line(int wireLine) const { return Lines.at(wireLine); }
    int Received() const { return ReceivedCount; }
    int Malformed() const { return MalformedCount; }
    int LastLine() const { return LastWireLine; }
    const std::string& LastProblem() const { return LastProblemText; }

private:
    std::array<std::string, LineCount> Lines;
    int ReceivedCount = 0;
    int MalformedCount = 0;
    int LastWireLine = -1;
    std::string LastProblemText;
};
