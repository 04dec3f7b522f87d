// The Windows side of the serial line: \\.\COMn opened for our use alone (Windows shares a COM
// port with nobody), set with a DCB, with a bounded write time-out.
#include "serial/TSerial.h"

#include "serial/PortPath.h"
#include "serial/WindowsLineErrors.h"

#include <cstdio>

namespace {

// Windows' serial driver holds a write until its bytes are on the wire: a bound, so that a
// stalled line holds the sending thread no longer than one message takes at 9600 baud, and the
// rest waits in the ring as it does on Linux.
constexpr DWORD WriteWaitMs = 25;

bool IsSupportedBaud(int baudRate) {
    for (int rate : {300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200})
        if (rate == baudRate)
            return true;
    return false;
}

// The system's words for an error, for the log line.
const char* ReasonFor(DWORD error) {
    static thread_local char text[160];
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, text, sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r' ||
                          text[length - 1] == ' ' || text[length - 1] == '.'))
        text[--length] = '\0';
    if (length == 0)
        std::snprintf(text, sizeof text, "Windows error %lu", static_cast<unsigned long>(error));
    return text;
}

} // namespace

int TSerial::OpenDevice(const char* portName) {
    const std::string path = PinnedPath.empty() ? portpath::DevicePathFor(portName) : PinnedPath;
    TriedPath = path;
    if (path.empty()) {
        Fail(TLineStatus::NoSuchPort, portName, nullptr, "no such port");
        return 0;
    }
    const std::wstring wide(path.begin(), path.end());
    HANDLE handle = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        Fail(winline::OpenStatusFor(error), portName, path.c_str(), ReasonFor(error));
        return 0;
    }
    if (GetFileType(handle) != FILE_TYPE_CHAR) {
        CloseHandle(handle);
        Fail(TLineStatus::NotSerial, portName, path.c_str(), "not a character device");
        return 0;
    }
    Fd = winline::FdOf(handle);
    if (!ApplyLineSettings(portName, path.c_str())) {
        ReleaseDevice();
        return 0;
    }
    return 1;
}

int TSerial::ApplyLineSettings(const char* portName, const char* path) {
    HANDLE handle = winline::HandleOf(Fd);
    DCB current{};
    current.DCBlength = sizeof current;
    if (!GetCommState(handle, &current)) {
        Fail(TLineStatus::NotSerial, portName, path, "not a serial line");
        return 0;
    }
    if (!IsSupportedBaud(BaudRate) || DataBits < 5 || DataBits > 8 || Parity < 0 || Parity > 4 ||
        StopBits < 0 || StopBits > 2) {
        Fail(TLineStatus::Refused, portName, path, "unsupported line parameters");
        return 0;
    }
    // The driver's buffers are a wish; a driver that keeps its own sizes is no failure.
    SetupComm(handle, static_cast<DWORD>(ReceiveSize), static_cast<DWORD>(SendSize));
    DCB wanted = current;
    wanted.BaudRate = static_cast<DWORD>(BaudRate);
    wanted.ByteSize = static_cast<BYTE>(DataBits);
    wanted.Parity = static_cast<BYTE>(Parity);     // 0 none .. 4 space, as Windows counts
    wanted.StopBits = static_cast<BYTE>(StopBits); // 0 one, 1 one and a half, 2 two
    wanted.fBinary = TRUE;
    wanted.fParity = Parity != 0;
    // Nothing received may act on the line: no flow control of either kind, no XON/XOFF, no
    // error that stops the writes until someone clears it.
    wanted.fOutxCtsFlow = FALSE;
    wanted.fOutxDsrFlow = FALSE;
    wanted.fDsrSensitivity = FALSE;
    wanted.fOutX = FALSE;
    wanted.fInX = FALSE;
    wanted.fErrorChar = FALSE;
    wanted.fNull = FALSE;
    wanted.fAbortOnError = FALSE;
    wanted.fTXContinueOnXoff = TRUE;
    wanted.fDtrControl = DTR_CONTROL_ENABLE;
    wanted.fRtsControl = RTS_CONTROL_ENABLE;
    DCB applied{};
    applied.DCBlength = sizeof applied;
    if (!SetCommState(handle, &wanted) || !GetCommState(handle, &applied) ||
        applied.BaudRate != wanted.BaudRate || applied.ByteSize != wanted.ByteSize ||
        applied.Parity != wanted.Parity || applied.StopBits != wanted.StopBits || applied.fOutX ||
        applied.fInX) {
        Fail(TLineStatus::Refused, portName, path, "the device refused the line settings");
        return 0;
    }
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD; // a read, were there one, would not wait
    timeouts.WriteTotalTimeoutConstant = WriteWaitMs;
    if (!SetCommTimeouts(handle, &timeouts)) {
        Fail(TLineStatus::Refused, portName, path, "the device refused the write time-out");
        return 0;
    }
    return 1;
}

void TSerial::ReleaseDevice() {
    HANDLE handle = winline::HandleOf(Fd);
    // Unsent bytes would hold the close on a stalled line.
    PurgeComm(handle, PURGE_TXABORT | PURGE_TXCLEAR);
    CloseHandle(handle);
    Fd = -1;
}

bool TSerial::CheckDevice() {
    if (Fd < 0)
        return false;
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(winline::HandleOf(Fd), &errors, &status) &&
        winline::ErrnoFor(GetLastError()) == EIO) {
        Vanished.store(true, std::memory_order_relaxed);
        return false;
    }
    return true;
}
