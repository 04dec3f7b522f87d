#include "app/TRemoteProtocol.h"

#include "app/SettingsRecord.h"

#include <array>
#include <cstdio>

namespace {

struct TVerbName {
    std::string_view Name;
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
    std::string_view Name;
    int Code;
};

constexpr std::array<TFunctionName, 4> Functions{{
    {"count-up", FunctionCountUp},
    {"count-down", FunctionCountDown},
    {"lap", FunctionLapCounter},
    {"test", FunctionTest},
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

void AppendJsonString(std::string& out, std::string_view text) {
    out += '"';
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            // Latin-1 to UTF-8: two bytes for U+0080..U+00FF.
            out += static_cast<char>(0xc0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3f));
        }
    }
    out += '"';
}

void AppendField(std::string& out, const char* name, std::string_view text) {
    out += '"';
    out += name;
    out += "\":";
    AppendJsonString(out, text);
    out += ',';
}

} // namespace

void TRemoteLineFramer::Feed(std::string_view bytes, std::vector<TRemoteLine>& lines) {
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        const std::string_view part = bytes.substr(0, end);
        if (!Overlong) {
            // One byte more than the limit leaves room for the CR before the LF.
            if (Pending.size() + part.size() > RemoteLineLimit + 1) {
                Overlong = true;
                Pending.clear();
            } else {
                Pending.append(part);
            }
        }
        if (end == std::string_view::npos)
            return;
        EndLine(lines);
        bytes.remove_prefix(end + 1);
    }
}

void TRemoteLineFramer::EndLine(std::vector<TRemoteLine>& lines) {
    if (!Pending.empty() && Pending.back() == '\r')
        Pending.pop_back();
    TRemoteLine line;
    if (Overlong || Pending.size() > RemoteLineLimit)
        line.Error = "line longer than 256 bytes";
    else if (!IsTextLine(Pending))
        line.Error = "not a text line";
    else
        line.Text = Pending;
    lines.push_back(std::move(line));
    Pending.clear();
    Overlong = false;
}

TRemoteCommand ParseRemoteCommand(std::string_view line) {
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
                    command.FunctionCode = function.Code;
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

const char* RemoteFunctionName(int functionCode) {
    for (const TFunctionName& function : Functions) {
        if (function.Code == functionCode)
            return function.Name.data(); // the literals end with a zero
    }
    return "none";
}

std::string RemoteStateJson(const TRemoteState& state) {
    std::string out = "{";
    AppendField(out, "function", state.Function);
    AppendField(out, "display", state.Display);
    out += "\"running\":";
    out += state.Running ? "true," : "false,";
    AppendField(out, "line1", state.Line1);
    out += "\"lap\":" + std::to_string(state.Lap) + ',';
    AppendField(out, "line", state.Line);
    AppendField(out, "reason", state.Reason);
    AppendField(out, "board", state.Board);
    AppendField(out, "port", state.Port);
    out.back() = '}';
    return out;
}
