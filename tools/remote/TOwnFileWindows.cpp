#include "tools/remote/TOwnFile.h"

#include <io.h>
#include <string>
#include <vector>
#include <windows.h>

namespace {

// The file `name` in the directory the descriptor holds open: the path of that directory as it
// is now, so that a directory renamed meanwhile is still the one used.
bool PathIn(int dirFd, const std::string& name, std::wstring& path) {
    HANDLE directory = reinterpret_cast<HANDLE>(_get_osfhandle(dirFd));
    if (directory == INVALID_HANDLE_VALUE)
        return false;
    std::vector<wchar_t> buffer(MAX_PATH);
    DWORD length =
        GetFinalPathNameByHandleW(directory, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
    if (length >= buffer.size()) {
        buffer.resize(length + 1);
        length = GetFinalPathNameByHandleW(directory, buffer.data(),
                                           static_cast<DWORD>(buffer.size()), 0);
    }
    if (length == 0 || length >= buffer.size())
        return false;
    path.assign(buffer.data(), length);
    path += L'\\';
    path.append(name.begin(), name.end());
    return true;
}

} // namespace

// No mode bits on Windows: a file here is as private as its directory (TOwnDirectoryWindows.cpp),
// so none counts as exposed. Links (reparse points) and directories are still refused.
bool ReadOwnFile(int dirFd, const std::string& name, std::size_t maxBytes, std::string& text,
                 bool& missing, bool& exposed, std::string& error) {
    missing = exposed = false;
    text.clear();
    std::wstring path;
    if (!PathIn(dirFd, name, path)) {
        error = "cannot find the directory of " + name;
        return false;
    }
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD reason = GetLastError();
        if (reason == ERROR_FILE_NOT_FOUND) {
            missing = true;
            return true;
        }
        error = "cannot open " + name;
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
        CloseHandle(file);
        error = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0
                    ? name + " is a link; remove it"
                    : name + " is not a file; remove it";
        return false;
    }
    char buffer[4096];
    DWORD n = 0;
    while (text.size() < maxBytes &&
           ReadFile(file, buffer,
                    static_cast<DWORD>(std::min(sizeof buffer, maxBytes - text.size())), &n,
                    nullptr) &&
           n > 0)
        text.append(buffer, n);
    CloseHandle(file);
    return true;
}

bool WriteOwnFile(int dirFd, const std::string& name, const std::string& text, std::string& error) {
    // Written beside and moved over, so that a crash never leaves half of it.
    std::wstring path, temporary;
    if (!PathIn(dirFd, name, path) || !PathIn(dirFd, name + ".new", temporary)) {
        error = "cannot find the directory of " + name;
        return false;
    }
    DeleteFileW(temporary.c_str());
    HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = "cannot create " + name + ".new";
        return false;
    }
    DWORD n = 0;
    const bool written =
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &n, nullptr) &&
        n == text.size() && FlushFileBuffers(file);
    CloseHandle(file);
    if (!written || !MoveFileExW(temporary.c_str(), path.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = "cannot write " + name;
        DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}
