// Which connections the bridge keeps when there are too many. Connections are bounded in total and
// per peer address; a newcomer over a bound takes the place of an idle connection (one with no
// request in progress), chosen so that whoever holds the most connections loses one first and a
// connection that has shown the token is kept longest. A connection with a request in progress is
// never dropped for a newcomer: the newcomer is refused instead. Pure bookkeeping, no sockets:
// the HTTP server asks it and acts on the answer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <sys/socket.h>
#include <vector>

struct TGuardLimits {
    std::size_t Total = 256;
    std::size_t PerPeer = 16;
};

class TConnectionGuard {
public:
    using TId = std::uintptr_t;

    struct TAdmission {
        bool Accept = false;
        std::vector<TId> Shed; // to be closed to make room (already forgotten here)
    };

    explicit TConnectionGuard(TGuardLimits limits) : Limits(limits) {}

    // Asked before a connection from `peer` is taken.
    TAdmission Admit(const std::string& peer);
    void Opened(TId id, const std::string& peer);
    void Closed(TId id);
    // A request is in progress (headers in, answer not yet sent) or over.
    void SetBusy(TId id, bool busy);
    // The connection presented the token.
    void SetTrusted(TId id);
    std::size_t Count() const { return Entries.size(); }

private:
    struct TEntry {
        std::string Peer;
        std::uint64_t LastActive = 0; // a sequence number: larger is more recent
        bool Busy = false;
        bool Trusted = false;
    };

    TGuardLimits Limits;
    std::map<TId, TEntry> Entries;
    std::map<std::string, std::size_t> PerPeer;
    std::uint64_t Sequence = 0;

    // The idle connection to give up (of `peer` only, when given), or 0 when all are busy.
    TId Victim(const std::string* peer) const;
    void Forget(TId id);
};

// The address that counts as one peer: an IPv4 address (also when mapped into IPv6), or the /64
// prefix of an IPv6 address (one machine may hold a whole /64). Empty for another family.
std::string PeerKey(const sockaddr* address);
