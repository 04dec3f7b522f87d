// What Windows' error codes mean for the serial line. Windows only (the TSerial, TLineWriter and
// TDeviceWatch files for Windows include it).
#pragma once

#include "serial/TLineStatus.h"

#include <cerrno>
#include <windows.h>

namespace winline {

// The errors an unplugged USB serial adapter gives, on the open handle or on a new open.
inline bool IsGone(DWORD error) {
    switch (error) {
    case ERROR_NOT_READY: // Wine's word for a pseudo-terminal whose other end closed
    case ERROR_BAD_COMMAND:
    case ERROR_GEN_FAILURE:
    case ERROR_DEVICE_REMOVED:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_IO_DEVICE:
    case ERROR_INVALID_HANDLE:
    case ERROR_OPERATION_ABORTED:
        return true;
    default:
        return false;
    }
}

// As errno, for the write path shared with Linux: gone is EIO, a port that is missing ENOENT.
inline int ErrnoFor(DWORD error) {
    if (IsGone(error) || error == ERROR_ACCESS_DENIED)
        return EIO; // an open handle whose device left answers "access denied" too
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return ENOENT;
    return EINVAL;
}

// Why an open failed. A port held by another program answers "access denied".
inline TLineStatus OpenStatusFor(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_UNIT:
    case ERROR_INVALID_NAME:
        return TLineStatus::NoSuchPort;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return TLineStatus::InUse;
    default:
        return IsGone(error) ? TLineStatus::Unplugged : TLineStatus::Refused;
    }
}

inline HANDLE HandleOf(int fd) {
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(fd));
}

// Windows keeps handle values within 32 bits, sign-extended (INVALID_HANDLE_VALUE is -1).
inline int FdOf(HANDLE handle) {
    return static_cast<int>(reinterpret_cast<intptr_t>(handle));
}

} // namespace winline
