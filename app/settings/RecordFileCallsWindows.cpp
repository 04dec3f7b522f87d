#include "app/settings/RecordFileCalls.h"

#include "app/settings/WidePath.h"

#include <string>
#include <windows.h>

namespace recordfile {

namespace {

HANDLE Win32Handle(THandle file) {
    return reinterpret_cast<HANDLE>(file);
}

// Every opener lets the others read, write and rename: other copies of the program share the
// file, as on Linux, where nothing is locked.
constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE OpenWide(const char* path, DWORD access, DWORD disposition) {
    std::wstring wide;
    if (!ToWidePath(path, wide) || wide.empty())
        return INVALID_HANDLE_VALUE;
    // Without FILE_FLAG_BACKUP_SEMANTICS a directory does not open.
    return CreateFileW(wide.c_str(), access, ShareAll, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

} // namespace

bool PathExists(const char* path) {
    std::wstring wide;
    return ToWidePath(path, wide) && !wide.empty() &&
           GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES;
}

THandle OpenForUpdate(const char* path) {
    // A read-only file refuses write access to everybody, administrators included, so it is not
    // opened: the program runs on the first-run values and leaves it as it was.
    const HANDLE file = OpenWide(path, GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING);
    return file == INVALID_HANDLE_VALUE ? NoHandle : reinterpret_cast<THandle>(file);
}

void CreateIfMissing(const char* path) {
    const HANDLE created = OpenWide(path, GENERIC_WRITE, CREATE_NEW);
    if (created != INVALID_HANDLE_VALUE)
        CloseHandle(created);
}

void Close(THandle file) {
    CloseHandle(Win32Handle(file));
}

bool SeekTo(THandle file, int64_t offset) {
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    return SetFilePointerEx(Win32Handle(file), distance, nullptr, FILE_BEGIN) != 0;
}

int64_t ReadSome(THandle file, void* buffer, uint32_t count) {
    DWORD got = 0;
    if (!ReadFile(Win32Handle(file), buffer, count, &got, nullptr))
        return -1;
    return got;
}

int64_t WriteSome(THandle file, const void* buffer, uint32_t count) {
    DWORD put = 0;
    if (!WriteFile(Win32Handle(file), buffer, count, &put, nullptr))
        return -1;
    return put;
}

uint64_t SizeOf(THandle file) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(Win32Handle(file), &size))
        return 0;
    return static_cast<uint64_t>(size.QuadPart);
}

} // namespace recordfile
