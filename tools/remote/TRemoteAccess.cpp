#include "tools/remote/TRemoteAccess.h"

#include "tools/remote/TRemoteToken.h"

#include <strings.h>

std::string ShownToken(std::string_view authorization, std::string_view query) {
    constexpr std::string_view Scheme = "bearer";
    if (authorization.size() > Scheme.size() &&
        strncasecmp(authorization.data(), Scheme.data(), Scheme.size()) == 0 &&
        authorization[Scheme.size()] == ' ') {
        std::string_view rest = authorization.substr(Scheme.size());
        rest.remove_prefix(std::min(rest.find_first_not_of(' '), rest.size()));
        return std::string(rest);
    }
    return std::string(query);
}

TAccess AccessOf(const TRemoteTokens& tokens, std::string_view shown) {
    // Both compared every time, so that the answer's timing does not tell which one was close.
    bool control = TRemoteToken::Matches(tokens.Control, shown);
    bool view = TRemoteToken::Matches(tokens.View, shown);
    return control ? TAccess::Control : view ? TAccess::View : TAccess::None;
}
