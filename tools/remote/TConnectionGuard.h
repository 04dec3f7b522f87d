// Which connections the bridge keeps when there are too many. Connections are bounded in total and
// per peer address; a newcomer over a bound takes the place of an idle connection that has not
// shown the control token. Whoever holds the most such connections loses one first, so a phone
// that holds its live stream and a press is not ranked by them. A connection that showed the
// control token is never dropped for anyone, nor one with a request in progress. A fresh one,
// whose first request may be on its way, goes only when nothing else can (and then nothing of it
// runs). Above the total less a reserve, every newcomer makes room, so that the reserve stays
// free for the token holder's next connection. Pure bookkeeping, no sockets: the HTTP server asks
// it and acts.
#pragma once

#include "tools/remote/SocketHeaders.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct TGuardLimits {
    std::size_t Total = 256;
    std::size_t PerPeer = 16;
    std::size_t Reserved = 32; // kept for connections that may yet show the control token
    std::chrono::milliseconds Grace{1000};    // a fresh connection's time to send its request
    std::chrono::milliseconds Deadline{5000}; // from a connection's start (or its last answer)
                                              // to the end of its next request's headers
};

class TConnectionGuard {
public:
    using TId = std::uintptr_t;
    using TTime = std::chrono::steady_clock::time_point;

    struct TAdmission {
        bool Accept = false;
        std::vector<TId> Shed; // to be closed to make room (already forgotten here)
    };

    explicit TConnectionGuard(TGuardLimits limits) : Limits(limits) {}

    // Asked before a connection from `peer` is taken.
    TAdmission Admit(const std::string& peer, TTime now = std::chrono::steady_clock::now());
    void Opened(TId id, const std::string& peer, TTime now = std::chrono::steady_clock::now());
    void Closed(TId id);
    // A request is in progress (headers in, answer not yet sent) or over.
    void SetBusy(TId id, bool busy, TTime now = std::chrono::steady_clock::now());
    // The connection presented the control token.
    void SetTrusted(TId id);
    // Connections whose next request has not come in full within the deadline: to be closed
    // (already forgotten here).
    std::vector<TId> Overdue(TTime now = std::chrono::steady_clock::now());
    std::size_t Count() const { return Entries.size(); }

private:
    struct TEntry {
        std::string Peer;
        std::uint64_t LastActive = 0; // a sequence number: larger is more recent
        TTime Since;                  // opened, or its last answer sent
        bool Busy = false;
        bool Judged = false; // a request of it came in full
        bool Trusted = false;
    };

    TGuardLimits Limits;
    std::map<TId, TEntry> Entries;
    std::map<std::string, std::size_t> PerPeer;
    std::uint64_t Sequence = 0;

    // Opened within the grace and no request in yet: its request may be on its way.
    bool Fresh(const TEntry& entry, TTime now) const;
    // The connection to give up (of `peer` only, when given), or 0 when none may go.
    TId Victim(const std::string* peer, TTime now, bool evenFresh) const;
    void Forget(TId id);
};

// The address that counts as one peer: an IPv4 address (also when mapped into IPv6); an IPv6
// address on one of the bridge's own links (`ownPrefixes`: their /64 prefixes, 8 bytes each) or
// link-local counts alone, as each device of the venue's network has its own; any other IPv6
// address counts by its /64 (one remote machine may hold a whole /64). Empty for another family.
std::string PeerKey(const sockaddr* address, const std::vector<std::string>& ownPrefixes = {});
