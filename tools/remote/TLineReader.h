// Kadrant's control socket speaks in lines. TLineReader cuts a byte stream into them with a bound
// on the length, so that a peer that never sends a line feed cannot make the bridge grow; the
// reply classification tells `ok`, `error <reason>` and a state object apart.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

class TLineReader {
public:
    explicit TLineReader(std::size_t maxLine) : MaxLine(maxLine) {}

    // Hands every complete line (without its LF, and without a CR before it) to `onLine`. A line
    // longer than the bound is dropped whole, up to and including its LF, and counted.
    void Feed(std::string_view bytes, const std::function<void(std::string_view)>& onLine);
    void Reset();
    std::size_t Dropped() const { return DroppedLines; }
    std::size_t Pending() const { return Partial.size(); }

private:
    std::size_t MaxLine;
    std::string Partial;
    bool Skipping = false;
    std::size_t DroppedLines = 0;
};

enum class TReplyKind { Ok, Error, State, Malformed };

// `reason` gets the text after "error " for an error reply.
TReplyKind ClassifyReply(std::string_view line, std::string* reason = nullptr);

// One flat JSON object: string keys with string, number, true, false or null values, nothing
// nested. The state that the bridge forwards to browsers is checked with it first.
bool IsFlatJsonObject(std::string_view text);

// The value of a string field of such an object (escapes kept as sent); false when absent.
bool FlatJsonString(std::string_view object, std::string_view key, std::string& value);
