// Kadrant's answers on the control socket, as the bridge reads them: `ok`, `error <reason>`, or
// the state object (control/RemoteState.h), checked before it goes on to browsers.
#pragma once

#include <string>
#include <string_view>

enum class TReplyKind { Ok, Error, State, Malformed };

// The replies as Kadrant writes them, each one line without its end.
inline constexpr std::string_view OkReply = "ok";
std::string ErrorReply(std::string_view reason);

// `reason` gets the text after "error " for an error reply.
TReplyKind ClassifyReply(std::string_view line, std::string* reason = nullptr);

// One flat JSON object: string keys with string, number, true, false or null values, nothing
// nested. The state that the bridge forwards to browsers is checked with it first.
bool IsFlatJsonObject(std::string_view text);

// The value of a string field of such an object (escapes kept as sent); false when absent.
bool FlatJsonString(std::string_view object, std::string_view key, std::string& value);
