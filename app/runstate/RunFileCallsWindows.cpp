#include "app/runstate/RunFileCalls.h"

#include "app/settings/WidePath.h"

#include <algorithm>
#include <cerrno>
#include <windows.h>

namespace runfile {

namespace {

HANDLE Win32Handle(THandle file) {
    return reinterpret_cast<HANDLE>(file);
}

// The caller tells the user what failed through strerror, as on Linux.
void SetErrnoFromLastError() {
    switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        errno = ENOENT;
        break;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        errno = EACCES;
        break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        errno = ENOSPC;
        break;
    case ERROR_WRITE_PROTECT:
        errno = EROFS;
        break;
    case ERROR_FILENAME_EXCED_RANGE:
        errno = ENAMETOOLONG;
        break;
    case ERROR_INVALID_NAME:
        errno = EINVAL;
        break;
    default:
        errno = EIO;
        break;
    }
}

bool Wide(const std::string& path, std::wstring& wide) {
    if (ToWidePath(path, wide) && !wide.empty())
        return true;
    errno = EINVAL;
    return false;
}

HANDLE OpenWide(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
    std::wstring wide;
    if (!Wide(path, wide))
        return INVALID_HANDLE_VALUE;
    const HANDLE file = CreateFileW(wide.c_str(), access, share, nullptr, disposition,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        SetErrnoFromLastError();
    return file;
}

THandle Ours(HANDLE file) {
    return file == INVALID_HANDLE_VALUE ? NoHandle : reinterpret_cast<THandle>(file);
}

} // namespace

THandle CreateEmpty(const std::string& path) {
    // Nobody else opens the temporary file while it is being written.
    return Ours(OpenWide(path, GENERIC_WRITE, 0, CREATE_ALWAYS));
}

bool WriteAll(THandle file, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 1 << 20));
        DWORD put = 0;
        if (!WriteFile(Win32Handle(file), text.data() + done, chunk, &put, nullptr)) {
            SetErrnoFromLastError();
            return false;
        }
        if (put == 0) {
            errno = EIO;
            return false;
        }
        done += put;
    }
    return true;
}

bool FlushToDisk(THandle file) {
    if (FlushFileBuffers(Win32Handle(file)))
        return true;
    SetErrnoFromLastError();
    return false;
}

bool CloseKeepingError(THandle file, bool ok) {
    const int saved = errno;
    const bool closed = CloseHandle(Win32Handle(file)) != 0;
    if (!ok)
        errno = saved;
    else if (!closed)
        SetErrnoFromLastError();
    return ok && closed;
}

bool MoveOver(const std::string& from, const std::string& to) {
    std::wstring wideFrom, wideTo;
    if (!Wide(from, wideFrom) || !Wide(to, wideTo))
        return false;
    // Write-through: the call returns once the new name is on the disk, so the directory needs
    // no flush of its own.
    if (MoveFileExW(wideFrom.c_str(), wideTo.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    SetErrnoFromLastError();
    return false;
}

void RemoveKeepingError(const std::string& path) {
    const int saved = errno;
    std::wstring wide;
    if (ToWidePath(path, wide) && !wide.empty())
        DeleteFileW(wide.c_str());
    errno = saved;
}

bool SyncDirectoryOf(const std::string&) {
    return true; // MoveOver wrote the name through already
}

TFileRead OpenForReading(const std::string& path, THandle& file) {
    // Shared with everything, delete included, so that as far as Windows allows a reader does not
    // refuse the next replace.
    const HANDLE opened = OpenWide(
        path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
    if (opened == INVALID_HANDLE_VALUE)
        return errno == ENOENT ? TFileRead::Missing : TFileRead::Failed;
    file = Ours(opened);
    return TFileRead::Read;
}

int64_t ReadSome(THandle file, char* buffer, std::size_t count) {
    DWORD got = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count, 1 << 20));
    if (!ReadFile(Win32Handle(file), buffer, chunk, &got, nullptr)) {
        SetErrnoFromLastError();
        return -1;
    }
    return got;
}

} // namespace runfile
