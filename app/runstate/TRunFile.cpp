#include "app/runstate/TRunFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Closes fd without losing the errno of a failure before it.
bool CloseKeepingError(int fd, bool ok) {
    const int saved = errno;
    const bool closed = ::close(fd) == 0;
    if (!ok)
        errno = saved;
    return ok && closed;
}

bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

std::string TemporaryPathOf(const std::string& path) {
    return path + ".tmp";
}

bool ReplaceFile(const std::string& path, const std::string& text) {
    const std::string temporary = TemporaryPathOf(path);
    // O_TRUNC: a temporary file left behind by a crash is simply written over.
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    // A failed write (a full disk) leaves no cut temporary file behind.
    if (!CloseKeepingError(fd, WriteAll(fd, text) && ::fsync(fd) == 0) ||
        ::rename(temporary.c_str(), path.c_str()) != 0) {
        const int saved = errno;
        ::unlink(temporary.c_str());
        errno = saved;
        return false;
    }
    // The rename itself reaches the disk only with its directory.
    const int dir = ::open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return false;
    return CloseKeepingError(dir, ::fsync(dir) == 0);
}

TFileRead ReadWholeFile(const std::string& path, std::string& text, std::size_t maxBytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? TFileRead::Missing : TFileRead::Failed;
    text.clear();
    char chunk[1024];
    bool ok = true;
    while (ok) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        text.append(chunk, static_cast<std::size_t>(n));
        ok = text.size() <= maxBytes;
    }
    ::close(fd);
    return ok ? TFileRead::Read : TFileRead::Failed;
}
