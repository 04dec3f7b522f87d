// What is said to Kadrant on its control socket: the socket's name, the command lines and how they
// read. Kadrant answers them (app/), the bridge sends them (tools/remote/), and the tests' stand-in
// for Kadrant answers them as Kadrant does.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

// The socket's file name: beside "config.dat" for Kadrant, in its directory for the bridge.
constexpr const char* ControlSocketName = "kadrant.sock";

// The longest command line, in bytes, without its LF and an optional CR before it.
constexpr std::size_t RemoteLineLimit = 256;

enum class TRemoteVerb { Start, Stop, Reset, Plus, Minus, Function, State, Watch };

// The verbs a button sends: no argument, answered by "ok" or "error <reason>".
constexpr std::array<TRemoteVerb, 5> ButtonVerbs{TRemoteVerb::Start, TRemoteVerb::Stop,
                                                 TRemoteVerb::Reset, TRemoteVerb::Plus,
                                                 TRemoteVerb::Minus};

// The functions "function" chooses; None is what the state shows for any other.
enum class TRemoteFunction { None, CountUp, CountDown, Lap, Test };

struct TRemoteCommand {
    bool Valid = false;
    TRemoteVerb Verb = TRemoteVerb::State;
    TRemoteFunction Function = TRemoteFunction::None; // for the verb Function
    std::string Error;                                // when not valid
};

// A command line: a verb, and for "function" one of count-up, count-down, lap, test. Words are
// separated by spaces or tabs; spaces around the line do not matter. `overlong`: the framer cut
// a line past RemoteLineLimit, which is refused as such.
TRemoteCommand ParseRemoteCommand(std::string_view line, bool overlong = false);

// The words on the socket.
const char* RemoteVerbName(TRemoteVerb verb);
const char* RemoteFunctionName(TRemoteFunction function); // "none" for None
