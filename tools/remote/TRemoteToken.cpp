#include "tools/remote/TRemoteToken.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t TokenDigits = 32;

std::string Reason(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

// The file's first line, or false when it is not a plain file of ours. `exposed`: others could
// read it.
bool ReadOwnFile(int dirFd, const std::string& name, std::string& text, bool& missing,
                 bool& exposed, std::string& error) {
    missing = exposed = false;
    int fd = openat(dirFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT) {
            missing = true;
            return true;
        }
        error = errno == ELOOP ? name + " is a link; remove it" : Reason("cannot open", name);
        return false;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid()) {
        close(fd);
        error = name + " is not a file of this user; remove it";
        return false;
    }
    exposed = (info.st_mode & 077) != 0;
    char buffer[128];
    ssize_t n = read(fd, buffer, sizeof buffer);
    close(fd);
    text.assign(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
    std::string::size_type end = text.find_first_of("\r\n");
    if (end != std::string::npos)
        text.resize(end);
    return true;
}

bool WriteNew(int dirFd, const std::string& name, const std::string& token, std::string& error) {
    // Written beside and renamed over, so that a crash never leaves half a token; the old file,
    // whatever its mode, goes with the rename.
    std::string temporary = name + ".new";
    unlinkat(dirFd, temporary.c_str(), 0);
    int fd = openat(dirFd, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    0600);
    if (fd < 0) {
        error = Reason("cannot create", temporary);
        return false;
    }
    std::string line = token + "\n";
    bool written = fchmod(fd, 0600) == 0 &&
                   write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size()) &&
                   fsync(fd) == 0;
    close(fd);
    if (!written || renameat(dirFd, temporary.c_str(), dirFd, name.c_str()) != 0) {
        error = Reason("cannot write", name);
        unlinkat(dirFd, temporary.c_str(), 0);
        return false;
    }
    return true;
}

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
    std::size_t filled = 0;
    while (filled < sizeof bytes) {
        ssize_t n = getrandom(bytes + filled, sizeof bytes - filled, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        filled += static_cast<std::size_t>(n);
    }
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
    if (!ReadOwnFile(dirFd, name, text, missing, exposed, error))
        return false;
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
    if (!WriteNew(dirFd, name, fresh, error))
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
