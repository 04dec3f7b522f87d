// The platform's socket declarations (sockaddr, the address families, inet_pton): Winsock on
// Windows, the BSD headers elsewhere. Shared code includes this one header and nothing else of
// either.
#pragma once

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif
