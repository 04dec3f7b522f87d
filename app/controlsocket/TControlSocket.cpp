#include "app/controlsocket/TControlSocket.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr int ReadChunk = 4096;
constexpr int ChunksPerWakeUp = 8; // then the other clients and the window get their turn

bool MakeAddress(const std::string& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size());
    return true;
}

} // namespace

TControlSocket::TControlSocket(TControlHandler& handler, std::string path)
    : Handler(handler), Path(std::move(path)) {
    WatchTimer.setInterval(WatchPeriodMs);
    connect(&WatchTimer, &QTimer::timeout, this, [this] { CheckWatchers(); });
    RetryTimer.setInterval(RetryPeriodMs);
    connect(&RetryTimer, &QTimer::timeout, this, [this] {
        std::string why;
        if (!TryListen(why))
            return;
        RetryTimer.stop();
        std::fprintf(stderr, "kadrant: %s: the control socket is this program's now\n",
                     Path.c_str());
    });
}

TControlSocket::~TControlSocket() {
    Close();
}

bool TControlSocket::Listen() {
    if (IsListening())
        return true;
    std::string why;
    if (TryListen(why))
        return true;
    // Said once; the tries that follow are silent until one succeeds.
    std::fprintf(stderr, "kadrant: %s: %s; running without the control socket\n", Path.c_str(),
                 why.c_str());
    sockaddr_un address;
    if (MakeAddress(Path, address))
        RetryTimer.start();
    return false;
}

bool TControlSocket::TryListen(std::string& why) {
    sockaddr_un address;
    if (!MakeAddress(Path, address)) {
        why = "path too long for a socket";
        return false;
    }
    struct stat existing;
    if (lstat(Path.c_str(), &existing) == 0) {
        if (!S_ISSOCK(existing.st_mode)) {
            why = "exists and is not a socket (a file or a link); left as it is";
            return false;
        }
        // A socket someone answers on belongs to another running program; one nobody answers
        // on was left by a program that died.
        const int probe = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (probe < 0) {
            why = std::strerror(errno);
            return false;
        }
        const int connected =
            ::connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        const int error = errno;
        close(probe);
        if (connected == 0) {
            why = "another Kadrant is using it";
            return false;
        }
        if (error != ECONNREFUSED) {
            why = std::strerror(error);
            return false;
        }
        unlink(Path.c_str());
    } else if (errno != ENOENT) {
        why = std::strerror(errno);
        return false;
    }

    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        why = std::strerror(errno);
        return false;
    }
    // The file gets its mode at bind: only the same user may connect, from the first moment.
    const mode_t previousMask = umask(0177);
    const int bound = bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    const int bindError = errno;
    umask(previousMask);
    struct stat created;
    if (bound != 0 || listen(fd, 8) != 0 || lstat(Path.c_str(), &created) != 0) {
        why = std::strerror(bound != 0 ? bindError : errno);
        if (bound == 0)
            unlink(Path.c_str());
        close(fd);
        return false;
    }
    ListenFd = fd;
    SocketDevice = created.st_dev;
    SocketInode = created.st_ino;
    Acceptor = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(Acceptor.get(), &QSocketNotifier::activated, this, [this] { OnAcceptable(); });
    return true;
}

void TControlSocket::Close() {
    WatchTimer.stop();
    RetryTimer.stop();
    for (auto& [id, client] : Clients)
        Drop(*client);
    if (!Executing)
        Clients.clear();
    if (ListenFd < 0)
        return;
    Acceptor.reset();
    close(ListenFd);
    ListenFd = -1;
    // Only our own socket goes: not one another program put there since.
    struct stat current;
    if (lstat(Path.c_str(), &current) == 0 && S_ISSOCK(current.st_mode) &&
        current.st_dev == SocketDevice && current.st_ino == SocketInode)
        unlink(Path.c_str());
}

std::size_t TControlSocket::ClientCount() const {
    std::size_t count = 0;
    for (const auto& [id, client] : Clients)
        count += client->Fd >= 0;
    return count;
}

TControlSocket::TClient* TControlSocket::Find(int clientId) {
    const auto found = Clients.find(clientId);
    return found == Clients.end() || found->second->Fd < 0 ? nullptr : found->second.get();
}

void TControlSocket::OnAcceptable() {
    const int fd = accept4(ListenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0)
        return;
    if (ClientCount() >= MaxClients) {
        static const char busy[] = "error too many connections\n";
        [[maybe_unused]] const ssize_t sent = send(fd, busy, sizeof busy - 1, MSG_NOSIGNAL);
        close(fd);
        return;
    }
    const int id = NextClientId++;
    auto client = std::make_unique<TClient>();
    client->Fd = fd;
    client->Reader = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    client->Writer = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
    client->Writer->setEnabled(false);
    connect(client->Reader.get(), &QSocketNotifier::activated, this,
            [this, id] { OnReadable(id); });
    connect(client->Writer.get(), &QSocketNotifier::activated, this,
            [this, id] { OnWritable(id); });
    Clients.emplace(id, std::move(client));
}

void TControlSocket::OnReadable(int clientId) {
    TClient* client = Find(clientId);
    if (client == nullptr)
        return;
    if (Executing) {
        // Read again once the running command is done.
        client->Reader->setEnabled(false);
        return;
    }
    const auto onLine = [client](std::string_view text, bool overlong) {
        client->Commands.push_back(ParseRemoteCommand(text, overlong));
    };
    bool ended = false;
    for (int chunk = 0; chunk < ChunksPerWakeUp && !ended; ++chunk) {
        char bytes[ReadChunk];
        const ssize_t count = recv(client->Fd, bytes, sizeof bytes, 0);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        if (count < 0) {
            Drop(*client);
            Reap();
            return;
        }
        ended = count == 0;
        client->Framer.Feed(std::string_view(bytes, static_cast<std::size_t>(count)), onLine);
    }
    if (ended) {
        // The client sent its last line and waits for the answers: they go out first.
        client->Ending = true;
        client->Watching = false;
        client->Reader->setEnabled(false);
    }
    Drain(clientId);
    if (TClient* still = Find(clientId); still && still->Ending && still->Output.empty())
        Drop(*still);
    Reap();
}

void TControlSocket::Drain(int clientId) {
    for (;;) {
        TClient* client = Find(clientId);
        if (client == nullptr || client->Commands.empty())
            break;
        const TRemoteCommand command = std::move(client->Commands.front());
        client->Commands.pop_front();
        Answer(*client, command);
    }
    // Clients paused while the command ran read again; whatever they sent meanwhile is waiting.
    for (auto& [id, other] : Clients) {
        if (other->Fd >= 0 && !other->Ending && !other->Reader->isEnabled())
            other->Reader->setEnabled(true);
    }
}

void TControlSocket::Answer(TClient& client, const TRemoteCommand& command) {
    if (!command.Valid) {
        Send(client, "error " + command.Error);
        return;
    }
    if (command.Verb == TRemoteVerb::State || command.Verb == TRemoteVerb::Watch) {
        const std::string state = RemoteStateJson(Handler.State());
        if (command.Verb == TRemoteVerb::Watch) {
            client.Watching = true;
            client.LastState = state;
            WatchTimer.start();
        }
        Send(client, state);
        return;
    }
    // The client may be dropped while the command runs (a message box runs the event loop);
    // it is only taken apart by Reap, outside any command.
    Executing = true;
    const std::string answer = Handler.Execute(command);
    Executing = false;
    if (client.Fd >= 0)
        Send(client, answer);
    // Watchers see the change now rather than at the next look.
    CheckWatchers();
}

void TControlSocket::Send(TClient& client, const std::string& line) {
    if (client.Fd < 0)
        return;
    client.Output += line;
    client.Output += '\n';
    Flush(client);
    if (client.Fd >= 0 && client.Output.size() > OutputLimit)
        Drop(client); // it does not read what it asked for
}

void TControlSocket::Flush(TClient& client) {
    while (!client.Output.empty()) {
        const ssize_t sent =
            send(client.Fd, client.Output.data(), client.Output.size(), MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                break;
            Drop(client);
            return;
        }
        client.Output.erase(0, static_cast<std::size_t>(sent));
    }
    client.Writer->setEnabled(!client.Output.empty());
    if (client.Output.empty() && client.Ending && client.Commands.empty() && !Executing)
        Drop(client);
}

void TControlSocket::OnWritable(int clientId) {
    if (TClient* client = Find(clientId))
        Flush(*client);
}

void TControlSocket::Drop(TClient& client) {
    if (client.Fd < 0)
        return;
    // The notifiers stop watching the descriptor before it is closed and its number reused;
    // the objects themselves go in Reap, never from inside their own signal.
    client.Reader->setEnabled(false);
    client.Writer->setEnabled(false);
    close(client.Fd);
    client.Fd = -1;
    client.Output.clear();
    client.Commands.clear();
    QMetaObject::invokeMethod(
        this, [this] { Reap(); }, Qt::QueuedConnection);
}

void TControlSocket::Reap() {
    if (Executing)
        return;
    bool watching = false;
    for (auto it = Clients.begin(); it != Clients.end();) {
        if (it->second->Fd < 0) {
            it = Clients.erase(it);
        } else {
            watching = watching || it->second->Watching;
            ++it;
        }
    }
    if (!watching)
        WatchTimer.stop();
}

void TControlSocket::CheckWatchers() {
    std::string state;
    for (auto& [id, client] : Clients) {
        if (client->Fd < 0 || !client->Watching)
            continue;
        if (state.empty())
            state = RemoteStateJson(Handler.State());
        if (state != client->LastState) {
            client->LastState = state;
            Send(*client, state);
        }
    }
}
