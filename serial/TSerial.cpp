#include "serial/TSerial.h"

#include "serial/PortNames.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// One line tells an operator why the board is dark.
void ReportOpenFailure(const char* portName, const char* path, const char* reason) {
    std::fprintf(stderr, "kadrant: cannot open port %s (%s): %s\n", portName,
                 path && *path ? path : "no device", reason);
}

} // namespace

TSerial::TSerial() : Writer(&TLineWriter::System()) {}

TSerial::~TSerial() {
    Close();
}

const char* TSerial::PortName(int portCode, bool withDigi) {
    static char name[64];
    return PortNameInto(portCode, withDigi, name) ? name : nullptr;
}

bool TSerial::PortNameInto(int portCode, bool withDigi, char (&name)[64]) {
    return portnames::PortNameInto(portCode, withDigi, name);
}

void TSerial::SetLineParams(int portCode, int baudRate, int dataBits, int stopBits, int parity,
                            int receiveSize, int sendSize) {
    PortCode = portCode;
    BaudRate = baudRate;
    DataBits = dataBits;
    StopBits = stopBits;
    Parity = parity;
    ReceiveSize = receiveSize;
    SendSize = sendSize;
}

void TSerial::UseWriter(TLineWriter* writer) {
    Writer = writer ? writer : &TLineWriter::System();
}

void TSerial::Fail(TLineStatus status, const char* portName, const char* path, const char* reason) {
    LastOpen = status;
    const char* where = path && *path ? path : "no device";
    // The system's words only where they add to the plain reason.
    if (std::strcmp(reason, LineStatusReason(status)) == 0)
        std::snprintf(FailureDetail, sizeof FailureDetail, "%s", where);
    else
        std::snprintf(FailureDetail, sizeof FailureDetail, "%s: %s", where, reason);
    if (Reporting)
        ReportOpenFailure(portName, path, reason);
}

int TSerial::Open() {
    Close();
    LastOpen = TLineStatus::Off;
    FailureDetail[0] = '\0';
    TriedPath.clear();
    char portName[64];
    // "N.C." and the unnamed codes are the user's "no port", not a failure worth a word.
    if (PortCode == 0 || !PortNameInto(PortCode, true, portName) || portName[0] == '\0')
        return 0;
    if (SendSize <= 0) {
        Fail(TLineStatus::Refused, portName, nullptr, "no send buffer size recorded");
        return 0;
    }
    if (!OpenDevice(portName))
        return 0;
    LastOpen = TLineStatus::Working;
    Ring = std::make_unique<char[]>(SendSize);
    RingSize = static_cast<uint32_t>(SendSize);
    WritePos = 0;
    SendPos = 0;
    Vanished.store(false, std::memory_order_relaxed);
    return 1;
}

int TSerial::Close() {
    if (Fd < 0)
        return 0;
    ReleaseDevice();
    Ring.reset();
    RingSize = 0;
    WritePos = 0;
    SendPos = 0;
    return 1;
}

int TSerial::WritePending() {
    while (Fd >= 0 && SendPos < WritePos) {
        ssize_t written = Writer->Write(Fd, Ring.get() + SendPos, WritePos - SendPos);
        if (written > 0) {
            SendPos += static_cast<uint32_t>(written);
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        if (written == 0 || errno == EAGAIN || errno == EWOULDBLOCK)
            break; // the line is busy: the tail waits in the ring for the next call
        if (errno == EIO || errno == ENXIO || errno == ENODEV)
            Vanished.store(true, std::memory_order_relaxed);
        // Any other failure loses what was waiting; later messages start clean.
        SendPos = WritePos;
    }
    return static_cast<int>(WritePos - SendPos);
}

int TSerial::WriteText(const char* text) {
    if (Fd < 0 || HasVanished())
        return 0;
    size_t length = std::strlen(text);
    if (length == 0)
        return 1;
    if (length > RingSize)
        return 0;
    WritePending();
    if (WritePos + length > RingSize) {
        // Keep what still waits, moved to the front; a message is either whole in the ring or not.
        uint32_t pending = WritePos - SendPos;
        if (pending > 0)
            std::memmove(Ring.get(), Ring.get() + SendPos, pending);
        SendPos = 0;
        WritePos = pending;
        if (WritePos + length > RingSize)
            return 0;
    }
    std::memcpy(Ring.get() + WritePos, text, length);
    WritePos += static_cast<uint32_t>(length);
    WritePending();
    return HasVanished() ? 0 : 1;
}
