// Any bytes as they may arrive on the control socket, cut into chunks where the first byte says:
// every line the framer gives is within the limit or overlong, and the command reader answers
// each either with a command from a text line or a reason.
#include "control/RemoteCommand.h"
#include "control/RemoteState.h"
#include "control/TLineFramer.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    const std::size_t chunk = data[0] % 64 + 1;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    std::size_t lineFeeds = 0;
    for (char c : bytes)
        lineFeeds += c == '\n';

    std::size_t lines = 0;
    const auto onLine = [&](std::string_view text, bool overlong) {
        ++lines;
        Check(text.size() <= RemoteLineLimit && (!overlong || text.empty()));
        const TRemoteCommand command = ParseRemoteCommand(text, overlong);
        Check(command.Valid == command.Error.empty());
        for (unsigned char c : command.Valid ? text : std::string_view())
            Check(c == '\t' || (c >= 0x20 && c < 0x7f));
        if (command.Valid && command.Verb == TRemoteVerb::Function)
            Check(std::string_view(RemoteFunctionName(command.Function)) != "none");
        // Whatever text a command carries back in a state, the JSON stays one line.
        TRemoteState state;
        state.Line1 = text;
        state.Reason = std::string(bytes.substr(0, 64));
        const std::string json = RemoteStateJson(state);
        Check(json.find('\n') == std::string::npos && json.front() == '{' && json.back() == '}');
    };
    TLineFramer framer(RemoteLineLimit);
    for (std::size_t at = 0; at < bytes.size(); at += chunk)
        framer.Feed(bytes.substr(at, chunk), onLine);
    // One line per LF, whatever the chunks.
    Check(lines == lineFeeds);
    // The reader alone, on the raw bytes.
    const TRemoteCommand raw = ParseRemoteCommand(bytes);
    Check(raw.Valid == raw.Error.empty());
    return 0;
}
