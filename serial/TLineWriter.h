// The one system call under the write path, behind a seam so that tests can script what a real
// line does rarely and never on demand: EAGAIN, short writes, a vanished device.
#pragma once

#include <cstddef>
#include <sys/types.h>

class TLineWriter {
public:
    virtual ~TLineWriter() = default;
    // As write(2): bytes written, or -1 with errno set.
    virtual ssize_t Write(int fd, const void* data, size_t size);

    static TLineWriter& System();
};
