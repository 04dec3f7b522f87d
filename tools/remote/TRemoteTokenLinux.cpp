#include "tools/remote/TRemoteToken.h"

#include <cerrno>
#include <sys/random.h>

bool TRemoteToken::RandomBytes(unsigned char* bytes, std::size_t count) {
    std::size_t filled = 0;
    while (filled < count) {
        ssize_t n = getrandom(bytes + filled, count - filled, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        filled += static_cast<std::size_t>(n);
    }
    return true;
}
