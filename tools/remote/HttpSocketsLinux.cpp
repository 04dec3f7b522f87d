#include "tools/remote/HttpSockets.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

const unsigned HttpPollingFlag = MHD_USE_EPOLL;

MHD_socket OpenListener(const std::string& host, int port, bool& ipv6, int& bound) {
    sockaddr_storage address{};
    socklen_t length = 0;
    auto* v4 = reinterpret_cast<sockaddr_in*>(&address);
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&address);
    ipv6 = false;
    if (inet_pton(AF_INET, host.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = htons(static_cast<uint16_t>(port));
        length = sizeof *v4;
    } else if (inet_pton(AF_INET6, host.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(static_cast<uint16_t>(port));
        length = sizeof *v6;
        ipv6 = true;
    } else {
        return MHD_INVALID_SOCKET;
    }
    int fd = socket(address.ss_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    int on = 1;
    if (fd < 0)
        return MHD_INVALID_SOCKET;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    // A room full of phones opening the page at once must not wait for SYN retries.
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(fd, SOMAXCONN) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(fd);
        return MHD_INVALID_SOCKET;
    }
    bound = ntohs(address.ss_family == AF_INET ? v4->sin_port : v6->sin6_port);
    return fd;
}

void CloseSocket(MHD_socket socket) {
    close(socket);
}

void ShutDownSocket(MHD_socket socket) {
    shutdown(socket, SHUT_RDWR);
}

bool PeerGone(MHD_socket socket) {
    pollfd p{socket, POLLRDHUP, 0};
    return poll(&p, 1, 0) > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
}

int UnsentBytes(MHD_socket socket) {
    int unsent = 0;
    return ioctl(socket, SIOCOUTQ, &unsent) == 0 ? unsent : 0;
}

std::vector<std::string> OwnIpv6Prefixes() {
    std::vector<std::string> prefixes;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return prefixes;
    for (ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET6)
            continue;
        const auto* v6 = reinterpret_cast<const sockaddr_in6*>(entry->ifa_addr);
        if (IN6_IS_ADDR_LOOPBACK(&v6->sin6_addr) || IN6_IS_ADDR_LINKLOCAL(&v6->sin6_addr))
            continue;
        prefixes.emplace_back(reinterpret_cast<const char*>(&v6->sin6_addr), 8);
    }
    freeifaddrs(list);
    return prefixes;
}
