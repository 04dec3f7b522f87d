#include "tools/remote/TControlClient.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
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

int ConnectKadrantSocket(const std::string& path, std::string& why) {
    sockaddr_un address{};
    if (path.size() >= sizeof address.sun_path) {
        why = "socket path too long";
        return -1;
    }
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) {
        why = errno == ENOENT ? "no socket" : std::strerror(errno);
        return -1;
    }
    if (!S_ISSOCK(info.st_mode) || info.st_uid != geteuid()) {
        why = path + " is not Kadrant's socket (not a socket of this user)";
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
        why = std::strerror(errno);
        close(fd);
        return -1;
    }
    return fd;
}

bool WriteAll(int fd, std::string_view data, int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!data.empty()) {
        ssize_t n = send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (n > 0) {
            data.remove_prefix(static_cast<std::size_t>(n));
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

bool TControlClient::Command(std::string_view command, std::string& reply) {
    // One retry: a connection left from a Kadrant that has since restarted fails at the first
    // write or read, and the fresh one then works.
    for (int attempt = 0; attempt < 2; ++attempt) {
        bool fresh = Fd < 0;
        if (fresh) {
            Fd = ConnectKadrantSocket(SocketPath, Problem);
            if (Fd < 0)
                return false;
        }
        std::string line(command);
        line.push_back('\n');
        if (WriteAll(Fd, line, TimeoutMs) && ReadLine(reply, TimeoutMs))
            return true;
        Disconnect();
        if (fresh)
            return false;
    }
    return false;
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
                    [this](std::string_view l) { Lines.emplace_back(l); });
    }
    line = std::move(Lines.front());
    Lines.pop_front();
    return true;
}
