#include "tools/remote/TConnectionGuard.h"

#include <cstring>
#include <netinet/in.h>
#include <tuple>

TConnectionGuard::TAdmission TConnectionGuard::Admit(const std::string& peer) {
    TAdmission admission;
    auto own = PerPeer.find(peer);
    TId ownVictim = 0;
    if (own != PerPeer.end() && own->second >= Limits.PerPeer) {
        ownVictim = Victim(&peer);
        if (ownVictim == 0)
            return admission;
    }
    // Making room for the peer's own newcomer already frees a place in the total.
    if (ownVictim == 0 && Entries.size() >= Limits.Total) {
        TId victim = Victim(nullptr);
        if (victim == 0)
            return admission;
        admission.Shed.push_back(victim);
    }
    if (ownVictim != 0)
        admission.Shed.push_back(ownVictim);
    for (TId id : admission.Shed)
        Forget(id);
    admission.Accept = true;
    return admission;
}

void TConnectionGuard::Opened(TId id, const std::string& peer) {
    Entries[id] = TEntry{peer, ++Sequence, false, false};
    ++PerPeer[peer];
}

void TConnectionGuard::Closed(TId id) {
    Forget(id);
}

void TConnectionGuard::SetBusy(TId id, bool busy) {
    auto found = Entries.find(id);
    if (found == Entries.end())
        return;
    found->second.Busy = busy;
    found->second.LastActive = ++Sequence;
}

void TConnectionGuard::SetTrusted(TId id) {
    auto found = Entries.find(id);
    if (found != Entries.end())
        found->second.Trusted = true;
}

TConnectionGuard::TId TConnectionGuard::Victim(const std::string* peer) const {
    TId best = 0;
    // Smaller is given up first: untrusted before trusted, the largest holder first, the oldest.
    std::tuple<bool, std::size_t, std::uint64_t> bestKey{};
    for (const auto& [id, entry] : Entries) {
        if (entry.Busy || (peer != nullptr && entry.Peer != *peer))
            continue;
        std::size_t held = PerPeer.at(entry.Peer);
        std::tuple<bool, std::size_t, std::uint64_t> key{entry.Trusted, Limits.Total - held,
                                                         entry.LastActive};
        if (best == 0 || key < bestKey) {
            best = id;
            bestKey = key;
        }
    }
    return best;
}

void TConnectionGuard::Forget(TId id) {
    auto found = Entries.find(id);
    if (found == Entries.end())
        return;
    auto peer = PerPeer.find(found->second.Peer);
    if (peer != PerPeer.end() && --peer->second == 0)
        PerPeer.erase(peer);
    Entries.erase(found);
}

std::string PeerKey(const sockaddr* address) {
    if (address == nullptr)
        return {};
    if (address->sa_family == AF_INET) {
        const auto* v4 = reinterpret_cast<const sockaddr_in*>(address);
        return std::string(reinterpret_cast<const char*>(&v4->sin_addr), 4);
    }
    if (address->sa_family != AF_INET6)
        return {};
    const auto* v6 = reinterpret_cast<const sockaddr_in6*>(address);
    const char* bytes = reinterpret_cast<const char*>(&v6->sin6_addr);
    if (IN6_IS_ADDR_V4MAPPED(&v6->sin6_addr))
        return std::string(bytes + 12, 4);
    return std::string(bytes, 8) + "/64";
}
