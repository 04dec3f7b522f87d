#include "control/RemoteCommand.h"
#include "tools/remote/KadrantSocket.h"
#include "tools/remote/TControlLink.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

int RemainingMs(std::chrono::steady_clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

} // namespace

std::string ControlChannelIn(const std::string& dir) {
    return dir + "/" + ControlSocketName;
}

const char* const ControlChannelWord = "socket";

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

// A kept connection costs Kadrant nothing: its socket serves any number of clients.
const bool TControlLink::KeepsOpen = true;

bool TControlLink::Open(const std::string& address, int, std::string& why) {
    Close();
    Handle = ConnectKadrantSocket(address, why);
    return Handle >= 0;
}

void TControlLink::Close() {
    if (Handle >= 0)
        close(static_cast<int>(Handle));
    Handle = -1;
}

bool TControlLink::Write(std::string_view data, int timeoutMs, std::size_t* written) {
    return WriteAll(static_cast<int>(Handle), data, timeoutMs, written);
}

long TControlLink::Read(char* buffer, std::size_t size, int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        pollfd p{static_cast<int>(Handle), POLLIN, 0};
        int left = RemainingMs(deadline);
        int ready = left > 0 ? poll(&p, 1, left) : 0;
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return -1;
        ssize_t n = recv(static_cast<int>(Handle), buffer, size, 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        return n > 0 ? static_cast<long>(n) : 0;
    }
}

bool TControlLink::SeenClosed() const {
    pollfd p{static_cast<int>(Handle), POLLIN | POLLRDHUP, 0};
    return poll(&p, 1, 0) > 0 && p.revents != 0;
}
