// The HTTP server's sockets and this computer's own networks, where Linux (HttpSocketsLinux.cpp)
// and Windows (HttpSocketsWindows.cpp) differ.
#pragma once

#include <microhttpd.h>
#include <string>
#include <vector>

// How the library waits on its sockets: epoll on Linux, poll (WSAPoll) on Windows.
extern const unsigned HttpPollingFlag;

// A listening socket on the numeric address `host` (port 0: any free one): `ipv6` tells its
// family, `bound` the port it got. MHD_INVALID_SOCKET when there is none.
MHD_socket OpenListener(const std::string& host, int port, bool& ipv6, int& bound);
void CloseSocket(MHD_socket socket);
// Ends both directions; the library sees the end on its next turn and closes the socket itself.
void ShutDownSocket(MHD_socket socket);

// The peer closed its side, or the connection failed.
bool PeerGone(MHD_socket socket);
// Bytes sent that the peer has not taken yet; 0 or less when there are none or the system does
// not tell.
int UnsentBytes(MHD_socket socket);

// The /64 prefixes of this machine's own IPv6 addresses: peers there count one address each.
std::vector<std::string> OwnIpv6Prefixes();
