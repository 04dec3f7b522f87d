// Reads a simulator log back: each line becomes the message it recorded (with both clocks), or a
// note saying why the line could not be read. A damaged line never stops the rest.
#pragma once

#include "tools/boardsim/TBoardMessageParser.h"

#include <string>
#include <vector>

struct TLogEntry {
    int LogLine = 0;       // 1-based line in the file
    bool Damaged = false;  // the log line itself could not be read
    std::string Note;      // why, when damaged
    long long Ms = 0;      // monotonic ms
    std::string WallClock; // as written
    TBoardEvent Event;     // the message, well-formed or as recorded malformed
};

class TBoardLogReader {
public:
    static TLogEntry ParseLine(const std::string& line, int logLine);
    // Every line of the file, blank ones skipped; false (with the reason) when it cannot be read.
    static bool ReadFile(const std::string& path, std::vector<TLogEntry>& entries,
                         std::string& error);
    // The reverse of TBoardMessageParser::Escape; false on a broken \xNN.
    static bool Unescape(const std::string& text, std::string& bytes);
};
