#include "tools/remote/TRemoteToken.h"

#include "tools/remote/TOwnFile.h"

#include <algorithm>

namespace {

constexpr std::size_t TokenDigits = 32;

} // namespace

bool TRemoteToken::IsWellFormed(std::string_view token) {
    if (token.size() != TokenDigits)
        return false;
    for (char c : token)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    return true;
}

bool TRemoteToken::MakeNew(std::string& token) {
    unsigned char bytes[TokenDigits / 2];
    if (!RandomBytes(bytes, sizeof bytes))
        return false;
    static const char Hex[] = "0123456789abcdef";
    token.clear();
    for (unsigned char b : bytes) {
        token.push_back(Hex[b >> 4]);
        token.push_back(Hex[b & 15]);
    }
    return true;
}

bool TRemoteToken::LoadOrCreate(int dirFd, const std::string& name, std::string& token,
                                TTokenOrigin& origin, std::string& error) {
    std::string text;
    bool missing = false;
    bool exposed = false;
    if (!ReadOwnFile(dirFd, name, 128, text, missing, exposed, error))
        return false;
    text.resize(std::min(text.size(), text.find_first_of("\r\n")));
    if (!missing && !exposed && IsWellFormed(text)) {
        token = text;
        origin = TTokenOrigin::Kept;
        return true;
    }
    std::string fresh;
    if (!MakeNew(fresh)) {
        error = "no random numbers from the system";
        return false;
    }
    if (!WriteOwnFile(dirFd, name, fresh + "\n", error))
        return false;
    token = fresh;
    origin = missing ? TTokenOrigin::Made : exposed ? TTokenOrigin::Exposed : TTokenOrigin::Damaged;
    return true;
}

bool TRemoteToken::Matches(std::string_view expected, std::string_view given) {
    // Every byte of the expected token is looked at whatever the given one holds; a short or
    // long answer only sets a flag.
    unsigned difference = given.size() == expected.size() ? 0u : 1u;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        unsigned char g = i < given.size() ? static_cast<unsigned char>(given[i]) : 0;
        difference |= static_cast<unsigned char>(expected[i]) ^ g;
    }
    // Through a volatile so that the compiler keeps the whole loop.
    volatile unsigned result = difference;
    return result == 0 && !expected.empty();
}
