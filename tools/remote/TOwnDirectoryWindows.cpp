#include "tools/remote/TOwnDirectory.h"

#include <fcntl.h>
#include <filesystem>
#include <io.h>
#include <windows.h>

// Windows has no mode bits to check: the directory's ACL is what keeps others out. The default,
// Kadrant's working directory under the user's profile, is the user's alone (with SYSTEM and the
// administrators, who could read anything anyway); a directory given with --dir is trusted as
// given. The directory stays open, neither renamed nor deleted, while the bridge uses it.
int OpenOwnDirectory(const std::string& path, std::string& why) {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::u8path(path), ignored);
    const std::wstring wide = std::filesystem::u8path(path).wstring();
    HANDLE directory =
        CreateFileW(wide.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    BY_HANDLE_FILE_INFORMATION info{};
    if (directory == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(directory, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        if (directory != INVALID_HANDLE_VALUE)
            CloseHandle(directory);
        why = path + ": not a directory that can be opened";
        return -1;
    }
    // A C descriptor, as on Linux, so that the callers close it alike.
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(directory), _O_RDONLY);
    if (fd < 0) {
        CloseHandle(directory);
        why = path + ": cannot be used";
    }
    return fd;
}
