// The control socket speaks in lines. TLineFramer cuts a byte stream into them with a bound on
// each line's length, so that a peer that never sends a line feed costs no memory. Kadrant reads
// commands with it, the bridge replies.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

class TLineFramer {
public:
    using TOnLine = std::function<void(std::string_view text, bool overlong)>;

    explicit TLineFramer(std::size_t maxLine) : MaxLine(maxLine) {}

    // Hands every complete line to `onLine`: its text without the LF and a CR before it, at most
    // the bound long. A longer line is skipped up to its LF, its bytes never kept, and handed on
    // once as overlong, without text.
    void Feed(std::string_view bytes, const TOnLine& onLine);
    // Forgets a line begun (a new connection).
    void Reset();
    std::size_t OverlongLines() const { return Overlong; }
    std::size_t Pending() const { return Partial.size(); }

private:
    void EndLine(const TOnLine& onLine);

    std::size_t MaxLine;
    std::string Partial;
    bool Skipping = false;
    std::size_t Overlong = 0;
};
