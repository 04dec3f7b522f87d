// Kadrant's state as the control socket tells it: one JSON object on one line, the answer to
// "state" and what "watch" sends on each change.
#pragma once

#include <cstdint>
#include <string>

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
