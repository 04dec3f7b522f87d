#include "tools/remote/TPairingNotice.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <iphlpapi.h>

std::vector<std::string> LocalAddresses() {
    std::vector<std::string> lan;
    std::vector<std::string> loopback;
    ULONG size = 16 * 1024;
    std::vector<unsigned char> buffer(size);
    auto* list = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data());
    const ULONG flags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
    ULONG result = GetAdaptersAddresses(AF_INET, flags, nullptr, list, &size);
    if (result == ERROR_BUFFER_OVERFLOW) {
        buffer.resize(size);
        list = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data());
        result = GetAdaptersAddresses(AF_INET, flags, nullptr, list, &size);
    }
    if (result != NO_ERROR)
        return lan;
    for (auto* adapter = list; adapter != nullptr; adapter = adapter->Next) {
        if (adapter->OperStatus != IfOperStatusUp)
            continue;
        for (auto* entry = adapter->FirstUnicastAddress; entry != nullptr; entry = entry->Next) {
            const auto* v4 = reinterpret_cast<const sockaddr_in*>(entry->Address.lpSockaddr);
            char text[INET_ADDRSTRLEN];
            if (v4 == nullptr || v4->sin_family != AF_INET ||
                inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text) == nullptr)
                continue;
            (adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK ? loopback : lan).push_back(text);
        }
    }
    lan.insert(lan.end(), loopback.begin(), loopback.end());
    return lan;
}
