#include "tools/boardsim/TBoardLogPrinter.h"

#include "tools/boardsim/TBoardMessageParser.h"

std::string TBoardLogPrinter::Row(const TLogEntry& entry, bool changed) {
    if (entry.Damaged)
        return "log line " + std::to_string(entry.LogLine) + ": damaged (" + entry.Note + ")\n";
    const TBoardEvent& event = entry.Event;
    std::string row = entry.WallClock + "  ";
    if (!event.Valid)
        return row + "MALFORMED " + event.Problem + " |" + TBoardMessageParser::Escape(event.Raw) +
               "|\n";
    // Escaped so that a stray control byte in the text cannot upset the terminal.
    row +=
        "L" + std::to_string(event.WireLine) + " |" + TBoardMessageParser::Escape(event.Text) + "|";
    return row + (changed ? "\n" : "  (unchanged)\n");
}

std::string TBoardLogPrinter::Board(const TBoardLines& board, int markedLine) {
    std::string text;
    for (int line = 0; line < TBoardLines::LineCount; ++line)
        text += std::string(line == markedLine ? "  > L" : "    L") + std::to_string(line) + " |" +
                TBoardMessageParser::Escape(board.Line(line)) + "|\n";
    return text;
}
