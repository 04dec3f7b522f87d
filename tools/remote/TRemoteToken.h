// The pairing token: 128 random bits as 32 lower-case hex digits, made once and kept in
// D/remote-token (mode 0600) so that a phone or a Stream Deck paired once stays paired. A token
// file that others could read is no secret any more: it is replaced, and the old pairings end.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

enum class TTokenOrigin {
    Kept,    // read back from the file
    Made,    // there was none
    Damaged, // the file held no token: a new one
    Exposed, // the file was readable by others: a new one
};

class TRemoteToken {
public:
    // Reads the token from the file `name` in the directory `dirFd`, or makes and stores a new
    // one (`origin` tells why). False, with the reason, when the file cannot be used: a link, not
    // a regular file, another owner, or an unwritable directory.
    static bool LoadOrCreate(int dirFd, const std::string& name, std::string& token,
                             TTokenOrigin& origin, std::string& error);

    // Compares in a time that depends only on the expected token's length, so that a client
    // cannot find the token digit by digit from response times.
    static bool Matches(std::string_view expected, std::string_view given);

    static bool IsWellFormed(std::string_view token);
    static bool MakeNew(std::string& token);
    // The system's cryptographic random numbers (TRemoteTokenLinux.cpp, TRemoteTokenWindows.cpp).
    static bool RandomBytes(unsigned char* bytes, std::size_t count);
};
