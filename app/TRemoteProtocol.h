// The control socket's line protocol, free of any window and of any socket: cutting the received
// bytes into command lines, reading a command, and writing the program's state as one JSON line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The longest command line, in bytes, without its LF and an optional CR before it.
constexpr std::size_t RemoteLineLimit = 256;

// One line cut from the stream: its text, or why it can be no command.
struct TRemoteLine {
    std::string Text;
    std::string Error; // not empty: the line is answered with this reason
};

// Cuts a byte stream into lines at LF. A line past the limit is skipped up to its LF and reported
// once; its bytes are never kept, so a sender without LF costs no memory.
class TRemoteLineFramer {
public:
    void Feed(std::string_view bytes, std::vector<TRemoteLine>& lines);

private:
    void EndLine(std::vector<TRemoteLine>& lines);

    std::string Pending;
    bool Overlong = false;
};

enum class TRemoteVerb { Start, Stop, Reset, Plus, Minus, Function, State, Watch };

struct TRemoteCommand {
    bool Valid = false;
    TRemoteVerb Verb = TRemoteVerb::State;
    int FunctionCode = 0; // for Function: the function code of the record
    std::string Error;    // when not valid
};

// A command line: a verb, and for "function" one of count-up, count-down, lap, test. Words are
// separated by spaces or tabs; spaces around the line do not matter.
TRemoteCommand ParseRemoteCommand(std::string_view line);

// The protocol's name of a function code ("none" for anything unknown).
const char* RemoteFunctionName(int functionCode);

struct TRemoteState {
    std::string Function;
    std::string Display;
    bool Running = false;
    std::string Line1;
    int32_t Lap = 0;
    std::string Line;
    std::string Reason;
    std::string Board;
    std::string Port;

    bool operator==(const TRemoteState&) const = default;
};

// The state as one JSON object on one line, without the LF. Texts are the program's own, in
// Latin-1: bytes from 0x80 up are written as the characters they stand for.
std::string RemoteStateJson(const TRemoteState& state);
