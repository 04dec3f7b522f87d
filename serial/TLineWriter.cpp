#include "serial/TLineWriter.h"

#include <unistd.h>

ssize_t TLineWriter::Write(int fd, const void* data, size_t size) {
    return ::write(fd, data, size);
}

TLineWriter& TLineWriter::System() {
    static TLineWriter writer;
    return writer;
}
