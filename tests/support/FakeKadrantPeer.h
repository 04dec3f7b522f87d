// A stand-in for Kadrant's control socket, for the remote bridge's tests, benchmark and demo: a
// Unix socket server on a thread of its own that speaks the line protocol (commands answered by
// `ok` or `error <reason>`, `state`, `watch`), keeps a small plausible state and records every
// command it receives. Lines, commands and the state's JSON are Kadrant's own (control/).
#pragma once

#include "control/RemoteCommand.h"
#include "control/RemoteReply.h"
#include "control/RemoteState.h"
#include "control/TLineFramer.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

class TFakeKadrantPeer {
public:
    explicit TFakeKadrantPeer(std::string socketPath) : Path(std::move(socketPath)) {}
    ~TFakeKadrantPeer() { Stop(); }
    TFakeKadrantPeer(const TFakeKadrantPeer&) = delete;
    TFakeKadrantPeer& operator=(const TFakeKadrantPeer&) = delete;

    bool Start() {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (Path.size() >= sizeof address.sun_path)
            return false;
        std::memcpy(address.sun_path, Path.c_str(), Path.size() + 1);
        unlink(Path.c_str());
        Listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (Listener < 0 ||
            bind(Listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            chmod(Path.c_str(), 0600) != 0 || listen(Listener, 64) != 0 ||
            pipe2(Wake, O_CLOEXEC | O_NONBLOCK) != 0)
            return false;
        Thread = std::thread([this] { Run(); });
        return true;
    }

    // Closes every connection and removes the socket, as Kadrant does on its way out.
    void Stop() {
        if (!Thread.joinable())
            return;
        Stopping = true;
        char byte = 1;
        (void)!write(Wake[1], &byte, 1);
        Thread.join();
        std::lock_guard<std::mutex> lock(Mutex);
        for (const TClient& client : Clients)
            close(client.Fd);
        Clients.clear();
        close(Listener);
        close(Wake[0]);
        close(Wake[1]);
        unlink(Path.c_str());
        Stopping = false;
    }

    std::vector<std::string> Commands() const {
        std::lock_guard<std::mutex> lock(Mutex);
        return Received;
    }
    std::size_t CommandCount() const {
        std::lock_guard<std::mutex> lock(Mutex);
        return Received.size();
    }
    // The next `command` is refused with `reason`, as Kadrant refuses what a click could not do.
    void Refuse(const std::string& command, const std::string& reason) {
        std::lock_guard<std::mutex> lock(Mutex);
        Refusals[command] = reason;
    }
    // Changes line 1 as a running count would; watchers hear of it.
    void SetLine1(const std::string& nine) {
        std::lock_guard<std::mutex> lock(Mutex);
        Shown.Line1 = nine;
        PushLocked();
    }
    void SetLineState(const std::string& line, const std::string& reason) {
        std::lock_guard<std::mutex> lock(Mutex);
        Shown.Line = line;
        Shown.Reason = reason;
    }
    // Answers nothing from now on (a Kadrant that hangs).
    void SetSilent(bool silent) {
        std::lock_guard<std::mutex> lock(Mutex);
        Silent = silent;
    }
    std::string State() const {
        std::lock_guard<std::mutex> lock(Mutex);
        return StateLocked();
    }

private:
    struct TClient {
        int Fd;
        TLineFramer Framer{RemoteLineLimit};
        bool Watching = false;
    };
    std::string Path;
    int Listener = -1;
    int Wake[2] = {-1, -1};
    std::atomic<bool> Stopping{false};
    std::thread Thread;
    mutable std::mutex Mutex;
    std::vector<TClient> Clients;
    std::vector<std::string> Received;
    std::map<std::string, std::string> Refusals;
    TRemoteFunction Function = TRemoteFunction::CountUp;
    TRemoteState Shown{.Function = {}, // written from Function
                       .Display = "Secondes",
                       .Running = false,
                       .Line1 = "        0",
                       .Lap = 0,
                       .Line = "ok",
                       .Reason = {},
                       .Board = "TAG Heuer HL960/990 - Prg 000 (info)",
                       .Port = "Com1"};
    bool Silent = false;

    std::string StateLocked() const {
        TRemoteState state = Shown;
        state.Function = RemoteFunctionName(Function);
        return RemoteStateJson(state);
    }
    static void Send(int fd, const std::string& line) {
        std::string data = line + "\n";
        (void)!send(fd, data.data(), data.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    }
    void PushLocked() {
        std::string state = StateLocked();
        for (const TClient& client : Clients)
            if (client.Watching)
                Send(client.Fd, state);
    }
    void SetNumberLocked(int value) {
        std::string text = std::to_string(value);
        Shown.Line1 = std::string(9 - std::min<std::size_t>(9, text.size()), ' ') + text;
    }
    // One command line; the reply, or nothing for a silent peer.
    void HandleLocked(TClient& client, std::string_view text, bool overlong) {
        const std::string line(text);
        Received.push_back(line);
        if (Silent)
            return;
        auto refusal = Refusals.find(line);
        if (refusal != Refusals.end()) {
            Send(client.Fd, ErrorReply(refusal->second));
            Refusals.erase(refusal);
            return;
        }
        const TRemoteCommand command = ParseRemoteCommand(text, overlong);
        if (!command.Valid) {
            Send(client.Fd, ErrorReply(command.Error));
            return;
        }
        const TRemoteVerb verb = command.Verb;
        const bool lap = Function == TRemoteFunction::Lap;
        if (verb == TRemoteVerb::State || verb == TRemoteVerb::Watch) {
            client.Watching = client.Watching || verb == TRemoteVerb::Watch;
            Send(client.Fd, StateLocked());
            return;
        }
        if (verb == TRemoteVerb::Plus || (lap && verb == TRemoteVerb::Start)) {
            SetNumberLocked(++Shown.Lap);
        } else if (verb == TRemoteVerb::Minus || (lap && verb == TRemoteVerb::Stop)) {
            SetNumberLocked(Shown.Lap > 0 ? --Shown.Lap : 0);
        } else if (verb == TRemoteVerb::Start || verb == TRemoteVerb::Stop) {
            Shown.Running = verb == TRemoteVerb::Start;
        } else if (verb == TRemoteVerb::Reset) {
            Shown.Lap = 0;
            SetNumberLocked(0);
        } else {
            Function = command.Function;
        }
        Send(client.Fd, std::string(OkReply));
        PushLocked();
    }
    void Run() {
        for (;;) {
            std::vector<pollfd> fds{{Wake[0], POLLIN, 0}, {Listener, POLLIN, 0}};
            {
                std::lock_guard<std::mutex> lock(Mutex);
                for (const TClient& client : Clients)
                    fds.push_back({client.Fd, POLLIN, 0});
            }
            if (poll(fds.data(), fds.size(), 1000) < 0 && errno != EINTR)
                return;
            if (Stopping)
                return;
            std::lock_guard<std::mutex> lock(Mutex);
            if ((fds[1].revents & POLLIN) != 0) {
                int fd = accept4(Listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
                if (fd >= 0)
                    Clients.push_back({fd, TLineFramer(RemoteLineLimit), false});
            }
            for (std::size_t i = 2; i < fds.size(); ++i) {
                if (fds[i].revents == 0)
                    continue;
                auto client = std::find_if(Clients.begin(), Clients.end(),
                                           [&](const TClient& c) { return c.Fd == fds[i].fd; });
                char buffer[4096];
                ssize_t n = recv(client->Fd, buffer, sizeof buffer, 0);
                if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
                    close(client->Fd);
                    Clients.erase(client);
                    continue;
                }
                if (n < 0)
                    continue;
                client->Framer.Feed(std::string_view(buffer, static_cast<std::size_t>(n)),
                                    [&](std::string_view text, bool overlong) {
                                        HandleLocked(*client, text, overlong);
                                    });
            }
        }
    }
};
