// The printed form of a replayed entry: one row with the time and the line it wrote, or with
// `full` that row followed by the whole board as it stood afterwards.
#pragma once

#include "tools/boardsim/TBoardLines.h"
#include "tools/boardsim/TBoardLogReader.h"

#include <string>

class TBoardLogPrinter {
public:
    static std::string Row(const TLogEntry& entry, bool changed);
    static std::string Board(const TBoardLines& board, int markedLine);
};
