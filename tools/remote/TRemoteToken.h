// The pairing token: 128 random bits as 32 lower-case hex digits, made once and kept in
// D/remote-token (mode 0600) so that a phone or a Stream Deck paired once stays paired.
#pragma once

#include <string>
#include <string_view>

class TRemoteToken {
public:
    // Reads the token from `path`, or makes and stores a new one when the file is missing or
    // damaged (`created` tells which). False, with the reason, when the file cannot be used:
    // a link, not a regular file, another owner, or an unwritable directory.
    static bool LoadOrCreate(const std::string& path, std::string& token, bool& created,
                             std::string& error);

    // Compares in a time that depends only on the expected token's length, so that a client
    // cannot find the token digit by digit from response times.
    static bool Matches(std::string_view expected, std::string_view given);

    static bool IsWellFormed(std::string_view token);
    static bool MakeNew(std::string& token);
};
