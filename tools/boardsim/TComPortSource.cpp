#include "tools/boardsim/TComPortSource.h"

#include <windows.h>

namespace {

// A read ends once the bytes have paused this long (a message takes 18 ms at 9600 baud, its bytes
// come back to back), or after QuietReadMs with none: then the port is asked whether it is still
// there, which one that went without failing the read tells only so. (A read that ends on its
// first byte, MAXDWORD/MAXDWORD, never ends under Wine when overlapped.)
constexpr DWORD ByteGapMs = 20;
constexpr DWORD QuietReadMs = 500;

std::string SystemText(DWORD error) {
    char text[160];
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, text, sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r' ||
                          text[length - 1] == ' ' || text[length - 1] == '.'))
        --length;
    if (length == 0)
        return "Windows error " + std::to_string(error);
    return std::string(text, length);
}

TComPortSource::TOpen OpenFailureOf(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return TComPortSource::TOpen::NoSuchPort;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return TComPortSource::TOpen::InUse;
    default:
        return TComPortSource::TOpen::Refused;
    }
}

// 9600 8N1, binary, and nothing received may act on the line: no flow control of either kind,
// no XON/XOFF, no error that stops the reads until someone clears it.
bool SetBoardLine(HANDLE port) {
    DCB line{};
    line.DCBlength = sizeof line;
    if (!GetCommState(port, &line))
        return false;
    line.BaudRate = CBR_9600;
    line.ByteSize = 8;
    line.Parity = NOPARITY;
    line.StopBits = ONESTOPBIT;
    line.fBinary = TRUE;
    line.fParity = FALSE;
    line.fOutxCtsFlow = FALSE;
    line.fOutxDsrFlow = FALSE;
    line.fDsrSensitivity = FALSE;
    line.fOutX = FALSE;
    line.fInX = FALSE;
    line.fErrorChar = FALSE;
    line.fNull = FALSE;
    line.fAbortOnError = FALSE;
    line.fDtrControl = DTR_CONTROL_ENABLE;
    line.fRtsControl = RTS_CONTROL_ENABLE;
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = ByteGapMs;
    timeouts.ReadTotalTimeoutConstant = QuietReadMs;
    return SetCommState(port, &line) && SetCommTimeouts(port, &timeouts);
}

} // namespace

TComPortSource::TComPortSource(int comNumber)
    : DevicePath("\\\\.\\COM" + std::to_string(comNumber)) {}

TComPortSource::~TComPortSource() {
    if (Reader.joinable()) {
        SetEvent(StopEvent);
        Reader.join();
    }
    if (Port)
        CloseHandle(Port);
    if (StopEvent)
        CloseHandle(StopEvent);
}

TComPortSource::TOpen TComPortSource::Open(std::string& reason) {
    const std::wstring wide(DevicePath.begin(), DevicePath.end());
    HANDLE port = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        reason = SystemText(error);
        return OpenFailureOf(error);
    }
    if (GetFileType(port) != FILE_TYPE_CHAR) {
        CloseHandle(port);
        reason = "not a serial port";
        return TOpen::NotSerial;
    }
    if (!SetBoardLine(port)) {
        reason = "the port refused 9600 8N1: " + SystemText(GetLastError());
        CloseHandle(port);
        return TOpen::Refused;
    }
    Port = port;
    StopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    Reader = std::thread([this] { Read(); });
    return TOpen::Opened;
}

TComPortSource::TLine TComPortSource::Take(std::string& bytes, std::chrono::milliseconds wait) {
    std::unique_lock<std::mutex> lock(Lock);
    Arrived.wait_for(lock, wait, [this] { return !Pending.empty() || Failed; });
    bytes += Pending;
    Pending.clear();
    return Failed ? TLine::Gone : TLine::Open;
}

void TComPortSource::Read() {
    OVERLAPPED pending{};
    pending.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    char chunk[4096];
    for (;;) {
        ResetEvent(pending.hEvent);
        DWORD got = 0;
        BOOL done = ReadFile(Port, chunk, sizeof chunk, &got, &pending);
        DWORD error = done ? ERROR_SUCCESS : GetLastError();
        if (error == ERROR_IO_PENDING) {
            HANDLE waits[] = {pending.hEvent, StopEvent};
            if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) {
                CancelIoEx(Port, &pending);
                GetOverlappedResult(Port, &pending, &got, TRUE);
                break;
            }
            done = GetOverlappedResult(Port, &pending, &got, FALSE);
            error = done ? ERROR_SUCCESS : GetLastError();
        }
        // Windows ends a read whose time ran out with success, Wine with ERROR_TIMEOUT: either is
        // a quiet line. A pulled line fails the read (ERROR_BROKEN_PIPE and the like).
        bool failed = !done && error != ERROR_TIMEOUT;
        DWORD errors = 0;
        if (!failed && got == 0)
            failed = !ClearCommError(Port, &errors, nullptr);
        Deliver(chunk, got, failed);
        if (failed)
            break;
    }
    CloseHandle(pending.hEvent);
}

void TComPortSource::Deliver(const char* data, unsigned long size, bool failed) {
    if (size == 0 && !failed)
        return;
    {
        std::lock_guard<std::mutex> lock(Lock);
        Pending.append(data, size);
        Failed = failed;
    }
    Arrived.notify_all();
    if (Wake)
        Wake();
}
