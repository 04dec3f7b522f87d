#include "app/runstate/RunFileCalls.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace runfile {

namespace {

int Descriptor(THandle file) {
    return static_cast<int>(file);
}

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

THandle CreateEmpty(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    return fd < 0 ? NoHandle : fd;
}

bool WriteAll(THandle file, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(Descriptor(file), text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool FlushToDisk(THandle file) {
    return ::fsync(Descriptor(file)) == 0;
}

bool CloseKeepingError(THandle file, bool ok) {
    const int saved = errno;
    const bool closed = ::close(Descriptor(file)) == 0;
    if (!ok)
        errno = saved;
    return ok && closed;
}

bool MoveOver(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

void RemoveKeepingError(const std::string& path) {
    const int saved = errno;
    ::unlink(path.c_str());
    errno = saved;
}

bool SyncDirectoryOf(const std::string& path) {
    // The rename itself reaches the disk only with its directory.
    const int dir = ::open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return false;
    return CloseKeepingError(dir, ::fsync(dir) == 0);
}

TFileRead OpenForReading(const std::string& path, THandle& file) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? TFileRead::Missing : TFileRead::Failed;
    file = fd;
    return TFileRead::Read;
}

int64_t ReadSome(THandle file, char* buffer, std::size_t count) {
    for (;;) {
        const ssize_t n = ::read(Descriptor(file), buffer, count);
        if (n >= 0 || errno != EINTR)
            return n;
    }
}

} // namespace runfile
