#include "tools/remote/TControlClient.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// State lines are a few hundred bytes; anything far longer is not Kadrant talking.
constexpr std::size_t MaxReplyLine = 8192;

int RemainingMs(std::chrono::steady_clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

} // namespace

int ConnectKadrantSocket(const std::string& path, std::string& why, uid_t user) {
    sockaddr_un address{};
    if (path.size() >= sizeof address.sun_path) {
        why = "socket path too long";
        return -1;
    }
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        why = std::strerror(errno);
        return -1;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    // A Unix socket connects at once or not at all (ECONNREFUSED: a stale file, Kadrant gone).
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        why = errno == ENOENT ? "no socket" : std::strerror(errno);
        close(fd);
        return -1;
    }
    ucred peer{};
    socklen_t length = sizeof peer;
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 || peer.uid != user) {
        why = path + " is not Kadrant's socket (another user's program answers)";
        close(fd);
        return -1;
    }
    return fd;
}

bool WriteAll(int fd, std::string_view data, int timeoutMs, std::size_t* written) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    if (written != nullptr)
        *written = 0;
    while (!data.empty()) {
        ssize_t n = send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (n > 0) {
            data.remove_prefix(static_cast<std::size_t>(n));
            if (written != nullptr)
                *written += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd p{fd, POLLOUT, 0};
            int left = RemainingMs(deadline);
            if (left == 0 || poll(&p, 1, left) <= 0)
                return false;
            continue;
        }
        return false;
    }
    return true;
}

TControlClient::TControlClient(std::string socketPath, int timeoutMs)
    : SocketPath(std::move(socketPath)), TimeoutMs(timeoutMs), Reader(MaxReplyLine) {}

TControlClient::~TControlClient() {
    Disconnect();
}

void TControlClient::Disconnect() {
    if (Fd >= 0)
        close(Fd);
    Fd = -1;
    Reader.Reset();
    Lines.clear();
}

TCommandOutcome TControlClient::Command(std::string_view command, std::string& reply) {
    std::string line(command);
    line.push_back('\n');
    // A kept connection may be left from a Kadrant that has since ended; it is only given up
    // before anything of the line went out on it, so that the line reaches Kadrant once at most.
    if (Fd >= 0 && SeenClosed())
        Disconnect();
    for (int attempt = 0; attempt < 2; ++attempt) {
        bool fresh = Fd < 0;
        if (fresh) {
            Fd = ConnectKadrantSocket(SocketPath, Problem);
            if (Fd < 0)
                return TCommandOutcome::NotReached;
        }
        std::size_t written = 0;
        bool sent = WriteAll(Fd, line, TimeoutMs, &written);
        if (sent && ReadLine(reply, TimeoutMs))
            return TCommandOutcome::Answered;
        // A late reply must never be taken for the next command's: this connection is done.
        Disconnect();
        if (written > 0)
            return TCommandOutcome::NoAnswer;
        if (fresh)
            return TCommandOutcome::NotReached;
    }
    return TCommandOutcome::NotReached;
}

bool TControlClient::SeenClosed() const {
    // Readable before anything was asked: the end of the stream (or an error), since every reply
    // was read with its command.
    pollfd p{Fd, POLLIN | POLLRDHUP, 0};
    return poll(&p, 1, 0) > 0 && p.revents != 0;
}

bool TControlClient::ReadLine(std::string& line, int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    char buffer[4096];
    while (Lines.empty()) {
        pollfd p{Fd, POLLIN, 0};
        int left = RemainingMs(deadline);
        int ready = left > 0 ? poll(&p, 1, left) : 0;
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0) {
            Problem = "Kadrant did not answer in time";
            return false;
        }
        ssize_t n = recv(Fd, buffer, sizeof buffer, 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0) {
            Problem = "Kadrant closed the connection";
            return false;
        }
        Reader.Feed(std::string_view(buffer, static_cast<std::size_t>(n)),
                    [this](std::string_view l, bool overlong) {
                        if (!overlong)
                            Lines.emplace_back(l);
                    });
    }
    line = std::move(Lines.front());
    Lines.pop_front();
    return true;
}
