#include "serial/TLineWriter.h"

#include "serial/WindowsLineErrors.h"

ssize_t TLineWriter::Write(int fd, const void* data, size_t size) {
    DWORD written = 0;
    if (WriteFile(winline::HandleOf(fd), data, static_cast<DWORD>(size), &written, nullptr)) {
        if (written > 0)
            return static_cast<ssize_t>(written);
        errno = EAGAIN; // the write time-out passed before the line took a byte
        return -1;
    }
    errno = winline::ErrnoFor(GetLastError());
    return -1;
}

TLineWriter& TLineWriter::System() {
    static TLineWriter writer;
    return writer;
}
