#include "tools/remote/HttpSockets.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <iphlpapi.h>
#include <vector>

// epoll is Linux's; the library's poll is WSAPoll here, without select's 64-socket bound.
const unsigned HttpPollingFlag = MHD_USE_POLL;

namespace {

// Winsock counts its users; the library starts it too, but a listener may come first.
bool WinsockReady() {
    static const bool ready = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return ready;
}

} // namespace

MHD_socket OpenListener(const std::string& host, int port, bool& ipv6, int& bound) {
    if (!WinsockReady())
        return MHD_INVALID_SOCKET;
    sockaddr_storage address{};
    int length = 0;
    auto* v4 = reinterpret_cast<sockaddr_in*>(&address);
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&address);
    ipv6 = false;
    if (inet_pton(AF_INET, host.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = htons(static_cast<u_short>(port));
        length = sizeof *v4;
    } else if (inet_pton(AF_INET6, host.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(static_cast<u_short>(port));
        length = sizeof *v6;
        ipv6 = true;
    } else {
        return MHD_INVALID_SOCKET;
    }
    SOCKET fd = WSASocketW(address.ss_family, SOCK_STREAM, IPPROTO_TCP, nullptr, 0,
                           WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
    if (fd == INVALID_SOCKET)
        return MHD_INVALID_SOCKET;
    // SO_REUSEADDR would let another program take the port over on Windows: the port is ours
    // alone instead.
    BOOL on = TRUE;
    u_long nonBlocking = 1;
    setsockopt(fd, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on), sizeof on);
    if (ioctlsocket(fd, FIONBIO, &nonBlocking) != 0 ||
        bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(fd, SOMAXCONN) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        closesocket(fd);
        return MHD_INVALID_SOCKET;
    }
    bound = ntohs(address.ss_family == AF_INET ? v4->sin_port : v6->sin6_port);
    return fd;
}

void CloseSocket(MHD_socket socket) {
    closesocket(socket);
}

void ShutDownSocket(MHD_socket socket) {
    shutdown(socket, SD_BOTH);
}

bool PeerGone(MHD_socket socket) {
    // The library's sockets are non-blocking: nothing to read is WSAEWOULDBLOCK, the peer's end
    // reads as 0 bytes, a reset as an error.
    char first;
    const int n = recv(socket, &first, 1, MSG_PEEK);
    return n == 0 || (n < 0 && WSAGetLastError() != WSAEWOULDBLOCK);
}

int UnsentBytes(MHD_socket) {
    // Windows keeps no count of a socket's unsent bytes that a program may read: a client that
    // takes nothing is cut by the library's time-out once the buffers between are full.
    return 0;
}

std::vector<std::string> OwnIpv6Prefixes() {
    std::vector<std::string> prefixes;
    ULONG size = 16 * 1024;
    std::vector<unsigned char> buffer(size);
    auto* list = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data());
    const ULONG flags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
    ULONG result = GetAdaptersAddresses(AF_INET6, flags, nullptr, list, &size);
    if (result == ERROR_BUFFER_OVERFLOW) {
        buffer.resize(size);
        list = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data());
        result = GetAdaptersAddresses(AF_INET6, flags, nullptr, list, &size);
    }
    if (result != NO_ERROR)
        return prefixes;
    for (auto* adapter = list; adapter != nullptr; adapter = adapter->Next)
        for (auto* entry = adapter->FirstUnicastAddress; entry != nullptr; entry = entry->Next) {
            const auto* v6 = reinterpret_cast<const sockaddr_in6*>(entry->Address.lpSockaddr);
            if (v6 == nullptr || v6->sin6_family != AF_INET6 ||
                IN6_IS_ADDR_LOOPBACK(&v6->sin6_addr) || IN6_IS_ADDR_LINKLOCAL(&v6->sin6_addr))
                continue;
            prefixes.emplace_back(reinterpret_cast<const char*>(&v6->sin6_addr), 8);
        }
    return prefixes;
}
