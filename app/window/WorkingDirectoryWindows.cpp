#include "app/window/WorkingDirectory.h"

#include <filesystem>
#include <string>
#include <windows.h>

namespace fs = std::filesystem;

namespace {

fs::path ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            return fs::path(path).parent_path();
        }
        path.resize(path.size() * 2);
    }
}

fs::path RoamingAppData() {
    const DWORD size = GetEnvironmentVariableW(L"APPDATA", nullptr, 0);
    if (size == 0)
        return {};
    std::wstring value(size, L'\0');
    value.resize(GetEnvironmentVariableW(L"APPDATA", value.data(), size));
    return value;
}

} // namespace

void EnterWorkingDirectory() {
    std::error_code error;
    const fs::path program = ProgramFolder();
    if (program.empty() || !fs::equivalent(program, fs::current_path(error), error))
        return;
    const fs::path appData = RoamingAppData();
    if (appData.empty())
        return;
    const fs::path home = appData / L"Kadrant";
    fs::create_directories(home, error);
    // Where the folder cannot be made, the program still starts, in its own folder.
    fs::current_path(home, error);
}
