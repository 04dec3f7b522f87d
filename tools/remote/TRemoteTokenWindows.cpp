#include "tools/remote/TRemoteToken.h"

#include <windows.h>

#include <bcrypt.h>

bool TRemoteToken::RandomBytes(unsigned char* bytes, std::size_t count) {
    return BCryptGenRandom(nullptr, bytes, static_cast<ULONG>(count),
                           BCRYPT_USE_SYSTEM_PREFERRED_RNG) == 0;
}
