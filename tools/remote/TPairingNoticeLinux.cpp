#include "tools/remote/TPairingNotice.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

std::vector<std::string> LocalAddresses() {
    std::vector<std::string> lan;
    std::vector<std::string> loopback;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return lan;
    for (ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET ||
            (entry->ifa_flags & IFF_UP) == 0)
            continue;
        char text[INET_ADDRSTRLEN];
        auto* v4 = reinterpret_cast<sockaddr_in*>(entry->ifa_addr);
        if (inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text) == nullptr)
            continue;
        ((entry->ifa_flags & IFF_LOOPBACK) != 0 ? loopback : lan).push_back(text);
    }
    freeifaddrs(list);
    lan.insert(lan.end(), loopback.begin(), loopback.end());
    return lan;
}
