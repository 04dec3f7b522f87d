#include "tools/remote/TConnectionGuard.h"

#include <algorithm>
#include <cstring>
#include <tuple>

TConnectionGuard::TAdmission TConnectionGuard::Admit(const std::string& peer, TTime now) {
    TAdmission admission;
    auto own = PerPeer.find(peer);
    TId ownVictim = 0;
    if (own != PerPeer.end() && own->second >= Limits.PerPeer) {
        ownVictim = Victim(&peer, now, true);
        if (ownVictim == 0)
            return admission;
    }
    // Making room for the peer's own newcomer already frees a place in the total.
    std::size_t open = Entries.size() - (ownVictim != 0 ? 1 : 0);
    std::size_t reserve = std::min(Limits.Reserved, Limits.Total);
    if (open >= Limits.Total - reserve) {
        // In the reserve a fresh connection is left its time; at the very end it may go too.
        TId victim = Victim(nullptr, now, open >= Limits.Total);
        if (victim == ownVictim)
            victim = 0;
        if (victim != 0)
            admission.Shed.push_back(victim);
        else if (open >= Limits.Total)
            return admission;
    }
    if (ownVictim != 0)
        admission.Shed.push_back(ownVictim);
    for (TId id : admission.Shed)
        Forget(id);
    admission.Accept = true;
    return admission;
}

void TConnectionGuard::Opened(TId id, const std::string& peer, TTime now) {
    Entries[id] = TEntry{peer, ++Sequence, now, false, false, false};
    ++PerPeer[peer];
}

void TConnectionGuard::Closed(TId id) {
    Forget(id);
}

void TConnectionGuard::SetBusy(TId id, bool busy, TTime now) {
    auto found = Entries.find(id);
    if (found == Entries.end())
        return;
    found->second.Busy = busy;
    found->second.Judged = true;
    found->second.Since = now;
    found->second.LastActive = ++Sequence;
}

void TConnectionGuard::SetTrusted(TId id) {
    auto found = Entries.find(id);
    if (found != Entries.end())
        found->second.Trusted = true;
}

std::vector<TConnectionGuard::TId> TConnectionGuard::Overdue(TTime now) {
    std::vector<TId> late;
    for (const auto& [id, entry] : Entries)
        if (!entry.Busy && now - entry.Since >= Limits.Deadline)
            late.push_back(id);
    for (TId id : late)
        Forget(id);
    return late;
}

bool TConnectionGuard::Fresh(const TEntry& entry, TTime now) const {
    return !entry.Judged && now - entry.Since < Limits.Grace;
}

TConnectionGuard::TId TConnectionGuard::Victim(const std::string* peer, TTime now,
                                               bool evenFresh) const {
    auto candidate = [&](const TEntry& entry) {
        return !entry.Busy && !entry.Trusted && (evenFresh || !Fresh(entry, now));
    };
    // Peers ranked by what they hold that may be given up, nothing else.
    std::map<std::string, std::size_t> held;
    for (const auto& [id, entry] : Entries)
        if (candidate(entry))
            ++held[entry.Peer];
    TId best = 0;
    // Smaller is given up first: a fresh one last, the largest holder first, then the oldest.
    std::tuple<bool, std::size_t, std::uint64_t> bestKey{};
    for (const auto& [id, entry] : Entries) {
        if (!candidate(entry) || (peer != nullptr && entry.Peer != *peer))
            continue;
        std::tuple<bool, std::size_t, std::uint64_t> key{
            Fresh(entry, now), Limits.Total - held[entry.Peer], entry.LastActive};
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

std::string PeerKey(const sockaddr* address, const std::vector<std::string>& ownPrefixes) {
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
    std::string prefix(bytes, 8);
    bool ownLink = IN6_IS_ADDR_LINKLOCAL(&v6->sin6_addr) ||
                   std::find(ownPrefixes.begin(), ownPrefixes.end(), prefix) != ownPrefixes.end();
    return ownLink ? std::string(bytes, 16) : prefix + "/64";
}
