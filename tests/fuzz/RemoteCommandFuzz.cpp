// Any bytes as they may arrive on the control socket, cut into chunks where the first byte says:
// the framer never keeps more than one line's worth, every line it gives is a text line within
// the limit or an error, and the command reader answers each either with a command or a reason.
#include "app/TRemoteProtocol.h"

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

    TRemoteLineFramer framer;
    std::vector<TRemoteLine> lines;
    for (std::size_t at = 0; at < bytes.size(); at += chunk)
        framer.Feed(bytes.substr(at, chunk), lines);
    // One line per LF, whatever the chunks.
    Check(lines.size() == lineFeeds);

    for (const TRemoteLine& line : lines) {
        if (!line.Error.empty())
            Check(line.Text.empty());
        Check(line.Text.size() <= RemoteLineLimit);
        for (unsigned char c : line.Text)
            Check(c == '\t' || (c >= 0x20 && c < 0x7f));
        const TRemoteCommand command = ParseRemoteCommand(line.Text);
        Check(command.Valid == command.Error.empty());
        if (command.Valid && command.Verb == TRemoteVerb::Function)
            Check(std::string_view(RemoteFunctionName(command.FunctionCode)) != "none");
        // Whatever text a command carries back in a state, the JSON stays one line.
        TRemoteState state;
        state.Line1 = line.Text;
        state.Reason = std::string(bytes.substr(0, 64));
        const std::string json = RemoteStateJson(state);
        Check(json.find('\n') == std::string::npos && json.front() == '{' && json.back() == '}');
    }
    // The reader alone, on the raw bytes.
    const TRemoteCommand raw = ParseRemoteCommand(bytes);
    Check(raw.Valid == raw.Error.empty());
    return 0;
}
