#include "app/settings/RecordFileCalls.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace recordfile {

namespace {

int Descriptor(THandle file) {
    return static_cast<int>(file);
}

} // namespace

bool PathExists(const char* path) {
    struct stat status;
    return ::stat(path, &status) == 0;
}

THandle OpenForUpdate(const char* path) {
    struct stat status;
    if (::stat(path, &status) != 0)
        return NoHandle;
    // A file that nobody may write is read-only for the program too, even when it runs as root,
    // which the kernel would let through.
    if ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return NoHandle;
    // No lock is taken: other copies of the program share the file for reading and writing.
    const int fd = ::open(path, O_RDWR | O_CLOEXEC);
    return fd < 0 ? NoHandle : fd;
}

void CreateIfMissing(const char* path) {
    const int created = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (created >= 0)
        ::close(created);
}

void Close(THandle file) {
    ::close(Descriptor(file));
}

bool SeekTo(THandle file, int64_t offset) {
    return ::lseek(Descriptor(file), static_cast<off_t>(offset), SEEK_SET) >= 0;
}

int64_t ReadSome(THandle file, void* buffer, uint32_t count) {
    for (;;) {
        const ssize_t got = ::read(Descriptor(file), buffer, count);
        if (got >= 0 || errno != EINTR)
            return got;
    }
}

int64_t WriteSome(THandle file, const void* buffer, uint32_t count) {
    for (;;) {
        const ssize_t put = ::write(Descriptor(file), buffer, count);
        if (put >= 0 || errno != EINTR)
            return put;
    }
}

uint64_t SizeOf(THandle file) {
    struct stat status;
    if (::fstat(Descriptor(file), &status) != 0)
        return 0;
    return static_cast<uint64_t>(status.st_size);
}

} // namespace recordfile
