#include "controlpipe/TControlPipe.h"

#include "control/TLineFramer.h"

#include <cstdio>
#include <memory>
#include <vector>
#include <windows.h>

namespace {

// A descriptor whose one entry lets the user this program runs as in: nobody else, not even an
// administrator's process without the user's token, may open the pipe.
class TOwnerOnly {
public:
    TOwnerOnly() {
        HANDLE token = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
            return;
        DWORD size = 0;
        GetTokenInformation(token, TokenUser, nullptr, 0, &size);
        User.resize(size);
        const bool known =
            size > 0 && GetTokenInformation(token, TokenUser, User.data(), size, &size);
        CloseHandle(token);
        if (!known)
            return;
        PSID sid = reinterpret_cast<TOKEN_USER*>(User.data())->User.Sid;
        Acl.resize(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(sid));
        auto* acl = reinterpret_cast<ACL*>(Acl.data());
        Ready = InitializeAcl(acl, static_cast<DWORD>(Acl.size()), ACL_REVISION) &&
                AddAccessAllowedAce(acl, ACL_REVISION, GENERIC_READ | GENERIC_WRITE | SYNCHRONIZE,
                                    sid) &&
                InitializeSecurityDescriptor(&Descriptor, SECURITY_DESCRIPTOR_REVISION) &&
                SetSecurityDescriptorDacl(&Descriptor, TRUE, acl, FALSE);
        Attributes.nLength = sizeof Attributes;
        Attributes.lpSecurityDescriptor = &Descriptor;
        Attributes.bInheritHandle = FALSE;
    }
    SECURITY_ATTRIBUTES* Get() { return Ready ? &Attributes : nullptr; }

private:
    std::vector<unsigned char> User;
    std::vector<unsigned char> Acl;
    SECURITY_DESCRIPTOR Descriptor{};
    SECURITY_ATTRIBUTES Attributes{};
    bool Ready = false;
};

// Waits for an overlapped operation or the stop; false when stopped or failed.
bool Finish(HANDLE pipe, OVERLAPPED& op, BOOL started, HANDLE stop, DWORD& bytes) {
    if (!started && GetLastError() != ERROR_IO_PENDING)
        return false;
    HANDLE waits[2] = {op.hEvent, stop};
    if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) {
        CancelIoEx(pipe, &op);
        GetOverlappedResult(pipe, &op, &bytes, TRUE);
        return false;
    }
    return GetOverlappedResult(pipe, &op, &bytes, FALSE) != 0;
}

} // namespace

TControlPipe::TControlPipe(std::string name, THandler handler)
    : Name(std::move(name)), Handler(std::move(handler)) {}

TControlPipe::~TControlPipe() {
    Close();
}

bool TControlPipe::TakeName() {
    TOwnerOnly owner;
    const std::wstring wide(Name.begin(), Name.end());
    // The first instance: a name another program already serves on is refused, not shared.
    HANDLE pipe = CreateNamedPipeW(
        wide.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 4096, 4096,
        0, owner.Get());
    if (pipe == INVALID_HANDLE_VALUE)
        return false;
    Pipe = pipe;
    Holding = true;
    return true;
}

bool TControlPipe::Listen() {
    if (Thread.joinable())
        return IsListening();
    StopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const bool taken = TakeName();
    if (!taken)
        std::fprintf(stderr,
                     "kadrant: another Kadrant serves the control channel here; running without "
                     "it and trying again every second\n");
    Thread = std::thread([this] { Run(); });
    return taken;
}

void TControlPipe::Close() {
    if (!Thread.joinable())
        return;
    SetEvent(StopEvent);
    Thread.join();
    CloseHandle(StopEvent);
    StopEvent = nullptr;
}

void TControlPipe::Run() {
    for (;;) {
        if (Pipe == nullptr && !TakeName()) {
            if (WaitForSingleObject(StopEvent, RetryPeriodMs) == WAIT_OBJECT_0)
                return;
            continue;
        }
        Serve();
        if (WaitForSingleObject(StopEvent, 0) == WAIT_OBJECT_0)
            break;
    }
    Holding = false;
    CloseHandle(Pipe);
    Pipe = nullptr;
}

// One client, from its connection to its end (or the stop).
void TControlPipe::Serve() {
    HANDLE pipe = Pipe;
    OVERLAPPED op{};
    op.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD bytes = 0;
    const BOOL connecting = ConnectNamedPipe(pipe, &op);
    const bool connected =
        GetLastError() == ERROR_PIPE_CONNECTED || Finish(pipe, op, connecting, StopEvent, bytes);
    TLineFramer framer(RemoteLineLimit);
    char buffer[512];
    bool open = connected;
    while (open) {
        ResetEvent(op.hEvent);
        const BOOL reading = ReadFile(pipe, buffer, sizeof buffer, nullptr, &op);
        if (!Finish(pipe, op, reading, StopEvent, bytes) || bytes == 0)
            break;
        std::string answers;
        framer.Feed(std::string_view(buffer, bytes), [&](std::string_view text, bool overlong) {
            answers += Handler(ParseRemoteCommand(text, overlong)) + "\n";
        });
        if (answers.empty())
            continue;
        ResetEvent(op.hEvent);
        const BOOL writing =
            WriteFile(pipe, answers.data(), static_cast<DWORD>(answers.size()), nullptr, &op);
        open = Finish(pipe, op, writing, StopEvent, bytes) && bytes == answers.size();
    }
    DisconnectNamedPipe(pipe);
    CloseHandle(op.hEvent);
}
