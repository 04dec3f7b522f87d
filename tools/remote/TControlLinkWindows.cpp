#include "controlpipe/ControlPipeName.h"
#include "tools/remote/TControlLink.h"

#include <chrono>
#include <filesystem>
#include <vector>
#include <windows.h>

namespace {

HANDLE AsHandle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

// The user a process token speaks for, as the bytes of its SID.
std::vector<unsigned char> TokenUserSid(HANDLE token) {
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> user(size);
    if (size == 0 || !GetTokenInformation(token, TokenUser, user.data(), size, &size))
        return {};
    PSID sid = reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;
    const auto* bytes = static_cast<const unsigned char*>(sid);
    return std::vector<unsigned char>(bytes, bytes + GetLengthSid(sid));
}

std::vector<unsigned char> ProcessUserSid(DWORD pid) {
    HANDLE process = pid == GetCurrentProcessId()
                         ? GetCurrentProcess()
                         : OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (process == nullptr)
        return {};
    HANDLE token = nullptr;
    std::vector<unsigned char> sid;
    if (OpenProcessToken(process, TOKEN_QUERY, &token)) {
        sid = TokenUserSid(token);
        CloseHandle(token);
    }
    if (process != GetCurrentProcess())
        CloseHandle(process);
    return sid;
}

// The pipe's server runs as this user: a name taken first by another user's program (its own
// descriptor, its own answers) is not Kadrant's.
bool ServedByThisUser(HANDLE pipe) {
    ULONG server = 0;
    if (!GetNamedPipeServerProcessId(pipe, &server))
        return false;
    std::vector<unsigned char> theirs = ProcessUserSid(server);
    return !theirs.empty() && theirs == ProcessUserSid(GetCurrentProcessId());
}

// Waits for an overlapped operation up to `timeoutMs`; an operation still running then is
// cancelled, keeping whatever it did before. False when it failed or did nothing in time.
bool Finish(HANDLE pipe, OVERLAPPED& op, BOOL started, int timeoutMs, DWORD& bytes) {
    bytes = 0;
    if (!started && GetLastError() != ERROR_IO_PENDING)
        return false;
    if (WaitForSingleObject(op.hEvent, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0)
        CancelIoEx(pipe, &op);
    return GetOverlappedResult(pipe, &op, &bytes, TRUE) != 0;
}

class TEvent {
public:
    TEvent() { Op.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr); }
    ~TEvent() { CloseHandle(Op.hEvent); }
    OVERLAPPED Op{};
};

} // namespace

std::string ControlChannelIn(const std::string& dir) {
    std::error_code ignored;
    std::u8string absolute = std::filesystem::absolute(dir, ignored).u8string();
    return controlpipe::PipeNameFor(std::string(absolute.begin(), absolute.end()));
}

const char* const ControlChannelWord = "pipe";

const bool TControlLink::KeepsOpen = false;

bool TControlLink::Open(const std::string& address, int timeoutMs, std::string& why) {
    Close();
    const std::wstring name = Wide(address);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        // Identification only: the server may learn who asks, never act as this user.
        HANDLE pipe = CreateFileW(
            name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
            FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
        if (pipe != INVALID_HANDLE_VALUE) {
            if (!ServedByThisUser(pipe)) {
                CloseHandle(pipe);
                why = address + " is not Kadrant's pipe (another user's program answers)";
                return false;
            }
            Handle = reinterpret_cast<std::intptr_t>(pipe);
            return true;
        }
        const DWORD error = GetLastError();
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        // One client at a time: another one (the state watcher, a command) has it for a moment.
        if (error != ERROR_PIPE_BUSY || left <= 0) {
            why = error == ERROR_FILE_NOT_FOUND ? "no pipe"
                  : error == ERROR_PIPE_BUSY    ? "the pipe stayed busy"
                                                : "cannot open the pipe";
            return false;
        }
        WaitNamedPipeW(name.c_str(), static_cast<DWORD>(left));
    }
}

void TControlLink::Close() {
    if (Handle != -1)
        CloseHandle(AsHandle(Handle));
    Handle = -1;
}

bool TControlLink::Write(std::string_view data, int timeoutMs, std::size_t* written) {
    if (written != nullptr)
        *written = 0;
    TEvent event;
    DWORD bytes = 0;
    const BOOL started = WriteFile(AsHandle(Handle), data.data(), static_cast<DWORD>(data.size()),
                                   nullptr, &event.Op);
    const bool done = Finish(AsHandle(Handle), event.Op, started, timeoutMs, bytes);
    if (written != nullptr)
        *written = bytes;
    return done && bytes == data.size();
}

long TControlLink::Read(char* buffer, std::size_t size, int timeoutMs) {
    TEvent event;
    DWORD bytes = 0;
    const BOOL started =
        ReadFile(AsHandle(Handle), buffer, static_cast<DWORD>(size), nullptr, &event.Op);
    if (Finish(AsHandle(Handle), event.Op, started, timeoutMs, bytes))
        return static_cast<long>(bytes);
    return GetLastError() == ERROR_OPERATION_ABORTED ? -1 : 0;
}

bool TControlLink::SeenClosed() const {
    DWORD waiting = 0;
    return !PeekNamedPipe(AsHandle(Handle), nullptr, 0, nullptr, &waiting, nullptr) || waiting > 0;
}
