// What a request may do, from the token it shows: `?token=` in the address, or the header
// `Authorization: Bearer <token>` (the scheme's name in any case, as HTTP has it). Levels are
// ordered: a level opens every route that needs it or less.
#pragma once

#include <string>
#include <string_view>

enum class TAccess { None, View, Control };

struct TRemoteTokens {
    std::string Control; // opens everything
    std::string View;    // opens what only shows the state: the pages, the state, the live events
};

// The token a request shows: the header's, else the query's. Empty when none.
std::string ShownToken(std::string_view authorization, std::string_view query);

TAccess AccessOf(const TRemoteTokens& tokens, std::string_view shown);
