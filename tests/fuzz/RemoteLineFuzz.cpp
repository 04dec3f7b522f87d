// What the bridge reads from Kadrant's control socket, in any bytes and any cut into chunks: the
// first byte of the input sets the chunk size. Every line handed on is within the bound and has
// no line feed, nothing is kept beyond the bound (and a CR), and whatever is classified as a state
// object is one line of JSON the page can parse.
#include "control/RemoteReply.h"
#include "control/TLineFramer.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

constexpr std::size_t Bound = 64;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    std::size_t chunk = 1 + data[0] % 32;
    std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    TLineFramer reader(Bound);
    std::size_t lines = 0;
    auto onLine = [&](std::string_view line, bool overlong) {
        if (overlong)
            return;
        ++lines;
        Check(line.size() <= Bound);
        Check(line.find('\n') == std::string_view::npos);
        std::string reason;
        TReplyKind kind = ClassifyReply(line, &reason);
        if (kind == TReplyKind::State) {
            Check(line.find('{') != std::string_view::npos &&
                  line.rfind('}') != std::string_view::npos);
            std::string value;
            FlatJsonString(line, "function", value);
            Check(value.size() < line.size());
        }
        if (kind == TReplyKind::Error)
            Check(reason.size() + 5 <= line.size());
    };
    for (std::size_t at = 0; at < bytes.size(); at += chunk) {
        reader.Feed(std::string_view(bytes).substr(at, chunk), onLine);
        Check(reader.Pending() <= Bound + 1);
    }
    std::size_t feeds = 0;
    for (char c : bytes)
        feeds += c == '\n';
    // Every line feed ends one line, kept or dropped.
    Check(lines + reader.OverlongLines() == feeds);
    return 0;
}
