#include "tools/boardsim/TBoardMessageParser.h"

#include <cstdio>
#include <utility>

namespace {
constexpr char Stx = '\x02';
}

TBoardEvent TBoardMessageParser::Check(const std::string& frame) {
    TBoardEvent event;
    event.Raw = frame;
    std::vector<std::string> problems;
    size_t n = frame.size();
    if (n != MessageLength)
        problems.push_back("wrong length (" + std::to_string(n) + " bytes)");
    if (n == 0 || frame[0] != Stx)
        problems.push_back("missing STX");
    bool endsWithLf = n >= 1 && frame[n - 1] == '\n';
    size_t crAt = endsWithLf ? n - 2 : n - 1; // where the CR belongs given what did arrive
    if (n < (endsWithLf ? 2u : 1u) || frame[crAt] != '\r')
        problems.push_back("missing CR");
    if (!endsWithLf)
        problems.push_back("missing LF");
    if (n == MessageLength) {
        if (frame[1] != 'L')
            problems.push_back("missing L");
        if (frame[2] < '0' || frame[2] > '8')
            problems.push_back("line number outside 0 to 8");
        if (frame[3] != '\t' || frame[14] != '\t')
            problems.push_back("missing TAB");
        if (frame[4] != 'A')
            problems.push_back("missing A");
    }
    if (problems.empty()) {
        event.Valid = true;
        event.WireLine = frame[2] - '0';
        event.Text = frame.substr(5, 9);
        return event;
    }
    for (size_t i = 0; i < problems.size(); ++i)
        event.Problem += (i ? "; " : "") + problems[i];
    return event;
}

std::vector<TBoardEvent> TBoardMessageParser::Feed(const char* data, size_t size) {
    std::vector<TBoardEvent> events;
    for (size_t i = 0; i < size; ++i) {
        char c = data[i];
        // A new STX while a message is unfinished: the unfinished one lost its end.
        if (c == Stx && !Pending.empty())
            events.push_back(Check(std::exchange(Pending, {})));
        Pending.push_back(c);
        if (c == '\n' || Pending.size() >= MaxFragment)
            events.push_back(Check(std::exchange(Pending, {})));
    }
    return events;
}

std::vector<TBoardEvent> TBoardMessageParser::Flush() {
    std::vector<TBoardEvent> events;
    if (!Pending.empty())
        events.push_back(Check(std::exchange(Pending, {})));
    return events;
}

std::string TBoardMessageParser::Escape(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out.push_back(static_cast<char>(c));
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}
