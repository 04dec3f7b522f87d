#include "tools/remote/TBoundedHttpServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

int MsUntil(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

void AddressOf(const sockaddr_storage& address, std::string& ip, int& port) {
    char text[INET6_ADDRSTRLEN] = "";
    if (address.ss_family == AF_INET) {
        auto* v4 = reinterpret_cast<const sockaddr_in*>(&address);
        inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
        port = ntohs(v4->sin_port);
    } else if (address.ss_family == AF_INET6) {
        auto* v6 = reinterpret_cast<const sockaddr_in6*>(&address);
        inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
        port = ntohs(v6->sin6_port);
    }
    ip = text;
}

// A socket stream whose reads share one deadline and one byte budget per request.
class TRequestStream : public httplib::Stream {
public:
    TRequestStream(int fd, const TConnectionLimits& limits) : Fd(fd), Limits(limits) {}

    // Waits for the first byte of the next request; false when the client stays silent or leaves.
    bool BeginRequest() {
        if (Begin == End) {
            pollfd p{Fd, POLLIN, 0};
            int ready;
            do {
                ready = poll(&p, 1, static_cast<int>(Limits.IdleTime.count()));
            } while (ready < 0 && errno == EINTR);
            if (ready <= 0)
                return false;
        }
        Deadline = Clock::now() + Limits.RequestTime;
        Budget = Limits.RequestBytes;
        return true;
    }
    // The response is being written: reading is over for this request.
    bool is_readable() const override { return Begin != End || WaitFor(POLLIN, MsUntil(Deadline)); }
    bool is_writable() const override {
        return WaitFor(POLLOUT, static_cast<int>(Limits.WriteTime.count()));
    }

    ssize_t read(char* ptr, size_t size) override {
        // Checked before the buffer too: a client that keeps trickling always has a byte ready.
        if (Budget == 0 || Clock::now() >= Deadline) {
            Failed = true;
            return -1;
        }
        if (Begin == End) {
            if (!WaitFor(POLLIN, MsUntil(Deadline))) {
                Failed = true;
                return -1;
            }
            ssize_t n;
            do {
                n = recv(Fd, Buffer, sizeof Buffer, 0);
            } while (n < 0 && errno == EINTR);
            if (n <= 0) {
                Failed = true;
                return n;
            }
            Begin = 0;
            End = static_cast<std::size_t>(n);
        }
        std::size_t count = std::min({size, End - Begin, Budget});
        std::copy(Buffer + Begin, Buffer + Begin + count, ptr);
        Begin += count;
        Budget -= count;
        return static_cast<ssize_t>(count);
    }

    ssize_t write(const char* ptr, size_t size) override {
        if (!is_writable())
            return -1;
        ssize_t n;
        do {
            n = send(Fd, ptr, size, MSG_NOSIGNAL);
        } while (n < 0 && errno == EINTR);
        return n;
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        if (getpeername(Fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            AddressOf(address, ip, port);
    }
    void get_local_ip_and_port(std::string& ip, int& port) const override {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        if (getsockname(Fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            AddressOf(address, ip, port);
    }
    socket_t socket() const override { return Fd; }
    // A read ran out of time or bytes, or the client left: the library may still have answered
    // 400, but the connection is not worth another request.
    bool ReadFailed() const { return Failed; }

private:
    int Fd;
    const TConnectionLimits& Limits;
    Clock::time_point Deadline = Clock::now();
    std::size_t Budget = 0;
    char Buffer[4096];
    std::size_t Begin = 0;
    std::size_t End = 0;
    bool Failed = false;

    bool WaitFor(short events, int timeoutMs) const {
        pollfd p{Fd, events, 0};
        int ready;
        do {
            ready = poll(&p, 1, timeoutMs);
        } while (ready < 0 && errno == EINTR);
        return ready > 0 && (p.revents & events) != 0;
    }
};

thread_local int CurrentFd = -1;

} // namespace

bool TBoundedHttpServer::RaiseBacklog(int backlog) {
    // listen() again on a listening socket only changes its backlog.
    return svr_sock_ != INVALID_SOCKET && ::listen(svr_sock_, backlog) == 0;
}

bool TBoundedHttpServer::CurrentPeerGone() {
    if (CurrentFd < 0)
        return false;
    pollfd p{CurrentFd, POLLRDHUP, 0};
    return poll(&p, 1, 0) > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
}

bool TBoundedHttpServer::process_and_close_socket(socket_t sock) {
    // Responses go out in several writes (status and headers, then the body): without this the
    // second one waits for the client's delayed acknowledgement, some 40 ms.
    int on = 1;
    setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    TRequestStream stream(sock, Limits);
    CurrentFd = sock;
    bool ok = true;
    for (std::size_t served = 0; served < Limits.RequestsPerConnection; ++served) {
        if (!is_running() || !stream.BeginRequest())
            break;
        bool closed = false;
        bool last = served + 1 == Limits.RequestsPerConnection;
        ok = process_request(stream, last, closed, [](httplib::Request& request) {
            // A request without a length has no body (a response would run to the close); the
            // library would wait for the close, so `curl -X POST` hung for the whole request time.
            if (!request.has_header("Content-Length") && !request.has_header("Transfer-Encoding"))
                request.set_header("Content-Length", "0");
        });
        if (!ok || closed || stream.ReadFailed())
            break;
    }
    CurrentFd = -1;
    shutdown(sock, SHUT_RDWR);
    close(sock);
    return ok;
}
