#include "control/RemoteCommand.h"

#include <vector>

namespace {

struct TVerbName {
    const char* Name;
    TRemoteVerb Verb;
};

constexpr std::array<TVerbName, 8> Verbs{{
    {"start", TRemoteVerb::Start},
    {"stop", TRemoteVerb::Stop},
    {"reset", TRemoteVerb::Reset},
    {"plus", TRemoteVerb::Plus},
    {"minus", TRemoteVerb::Minus},
    {"function", TRemoteVerb::Function},
    {"state", TRemoteVerb::State},
    {"watch", TRemoteVerb::Watch},
}};

struct TFunctionName {
    const char* Name;
    TRemoteFunction Function;
};

constexpr std::array<TFunctionName, 4> Functions{{
    {"count-up", TRemoteFunction::CountUp},
    {"count-down", TRemoteFunction::CountDown},
    {"lap", TRemoteFunction::Lap},
    {"test", TRemoteFunction::Test},
}};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && !IsBlank(line[i]))
            ++i;
        if (i > start)
            words.push_back(line.substr(start, i - start));
    }
    return words;
}

// Printable ASCII and tabs; anything else is not a line a person or a script would send.
bool IsTextLine(std::string_view line) {
    for (unsigned char c : line) {
        if ((c < 0x20 && c != '\t') || c >= 0x7f)
            return false;
    }
    return true;
}

TRemoteCommand Refused(std::string reason) {
    TRemoteCommand command;
    command.Error = std::move(reason);
    return command;
}

} // namespace

TRemoteCommand ParseRemoteCommand(std::string_view line, bool overlong) {
    if (overlong)
        return Refused("line longer than " + std::to_string(RemoteLineLimit) + " bytes");
    if (!IsTextLine(line))
        return Refused("not a text line");
    const std::vector<std::string_view> words = Words(line);
    if (words.empty())
        return Refused("empty line");
    TRemoteCommand command;
    bool known = false;
    for (const TVerbName& verb : Verbs) {
        if (verb.Name == words[0]) {
            command.Verb = verb.Verb;
            known = true;
        }
    }
    if (!known)
        return Refused("unknown command");
    if (command.Verb == TRemoteVerb::Function) {
        if (words.size() == 2) {
            for (const TFunctionName& function : Functions) {
                if (function.Name == words[1]) {
                    command.Function = function.Function;
                    command.Valid = true;
                    return command;
                }
            }
        }
        return Refused("function takes one of count-up, count-down, lap, test");
    }
    if (words.size() != 1)
        return Refused(std::string(words[0]) + " takes no argument");
    command.Valid = true;
    return command;
}

const char* RemoteVerbName(TRemoteVerb verb) {
    for (const TVerbName& name : Verbs) {
        if (name.Verb == verb)
            return name.Name;
    }
    return "";
}

const char* RemoteFunctionName(TRemoteFunction function) {
    for (const TFunctionName& name : Functions) {
        if (name.Function == function)
            return name.Name;
    }
    return "none";
}
