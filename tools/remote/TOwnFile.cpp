#include "tools/remote/TOwnFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Reason(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

} // namespace

bool ReadOwnFile(int dirFd, const std::string& name, std::size_t maxBytes, std::string& text,
                 bool& missing, bool& exposed, std::string& error) {
    missing = exposed = false;
    text.clear();
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
    char buffer[4096];
    while (text.size() < maxBytes) {
        ssize_t n = read(fd, buffer, std::min(sizeof buffer, maxBytes - text.size()));
        if (n <= 0)
            break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
    return true;
}

bool WriteOwnFile(int dirFd, const std::string& name, const std::string& text, std::string& error) {
    // Written beside and renamed over; the old file, whatever its mode, goes with the rename.
    std::string temporary = name + ".new";
    unlinkat(dirFd, temporary.c_str(), 0);
    int fd = openat(dirFd, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    0600);
    if (fd < 0) {
        error = Reason("cannot create", temporary);
        return false;
    }
    bool written = fchmod(fd, 0600) == 0 &&
                   write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) &&
                   fsync(fd) == 0;
    close(fd);
    if (!written || renameat(dirFd, temporary.c_str(), dirFd, name.c_str()) != 0) {
        error = Reason("cannot write", name);
        unlinkat(dirFd, temporary.c_str(), 0);
        return false;
    }
    return true;
}
