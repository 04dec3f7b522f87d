#include "control/RemoteState.h"

#include <cstdio>
#include <string_view>

namespace {

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
