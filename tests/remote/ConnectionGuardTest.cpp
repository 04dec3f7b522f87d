// Which connection gives way when the bridge is full, and which peer a connection counts for.
#include "tools/remote/TConnectionGuard.h"

#include "tools/remote/SocketHeaders.h"

#include <gtest/gtest.h>

namespace {

struct TOpen {
    TConnectionGuard::TId Id;
    std::string Peer;
    bool Busy = false;
    bool Trusted = false;
    bool Fresh = false; // opened just now, no request in yet
};

using namespace std::chrono_literals;

struct TGuardCase {
    const char* Name;
    TGuardLimits Limits;
    std::vector<TOpen> Open; // in the order they came
    std::string Newcomer;
    bool Accepted;
    std::vector<TConnectionGuard::TId> Shed;
};

void PrintTo(const TGuardCase& c, std::ostream* os) {
    *os << c.Name;
}

class ConnectionGuard : public testing::TestWithParam<TGuardCase> {};

TEST_P(ConnectionGuard, MakesRoomWithAnIdleConnectionOrRefuses) {
    const TGuardCase& c = GetParam();
    TConnectionGuard guard(c.Limits);
    const auto now = std::chrono::steady_clock::now();
    for (const TOpen& open : c.Open) {
        guard.Opened(open.Id, open.Peer, now - (open.Fresh ? 0s : 10s));
        if (!open.Fresh)
            guard.SetBusy(open.Id, open.Busy, now - 5s);
        if (open.Trusted)
            guard.SetTrusted(open.Id);
    }
    TConnectionGuard::TAdmission admission = guard.Admit(c.Newcomer, now);
    EXPECT_EQ(admission.Accept, c.Accepted);
    EXPECT_EQ(admission.Shed, c.Shed);
    EXPECT_EQ(guard.Count(), c.Open.size() - c.Shed.size());
}

INSTANTIATE_TEST_SUITE_P(
    Table, ConnectionGuard,
    testing::Values(TGuardCase{"RoomLeft", {4, 2, 0}, {{1, "a"}, {2, "b"}}, "a", true, {}},
                    TGuardCase{"PeerOverItsBoundGivesUpItsOldestIdle",
                               {8, 2, 0},
                               {{1, "a", true}, {2, "a"}, {3, "b"}},
                               "a",
                               true,
                               {2}},
                    TGuardCase{"PeerWithEveryConnectionBusyIsRefused",
                               {8, 2, 0},
                               {{1, "a", true}, {2, "a", true}},
                               "a",
                               false,
                               {}},
                    TGuardCase{"FullTheLargestHolderGivesWay",
                               {4, 4, 0},
                               {{1, "b"}, {2, "a"}, {3, "a"}, {4, "a"}},
                               "c",
                               true,
                               {2}},
                    TGuardCase{"FullTheTokenHoldersAreNeverShed",
                               {3, 4, 0},
                               {{1, "a", false, true}, {2, "a", false, true}, {3, "b"}},
                               "c",
                               true,
                               {3}},
                    TGuardCase{"FullOfTokenHoldersTheNewcomerIsRefused",
                               {2, 4, 0},
                               {{1, "a", false, true}, {2, "b", false, true}},
                               "c",
                               false,
                               {}},
                    // A phone with its stream and a press is not the largest holder for them.
                    TGuardCase{
                        "RankedByIdleUntrustedConnectionsOnly",
                        {4, 4, 0},
                        {{1, "p", true, true}, {2, "p", false, true}, {3, "p", true}, {4, "g"}},
                        "c",
                        true,
                        {4}},
                    // In the reserve every newcomer makes room; a fresh connection is left its
                    // time while the hard total is not reached.
                    TGuardCase{"InTheReserveAFreshConnectionKeepsItsTime",
                               {4, 4, 2},
                               {{1, "a", false, false, true}, {2, "b", false, false, true}},
                               "c",
                               true,
                               {}},
                    TGuardCase{"InTheReserveAnIdleGuestMakesRoom",
                               {4, 4, 2},
                               {{1, "a"}, {2, "b", false, false, true}},
                               "c",
                               true,
                               {1}},
                    TGuardCase{"FullAndEveryoneBusyTheNewcomerIsRefused",
                               {2, 4, 0},
                               {{1, "a", true}, {2, "b", true}},
                               "c",
                               false,
                               {}}),
    [](const testing::TestParamInfo<TGuardCase>& c) { return std::string(c.param.Name); });

TEST(ConnectionGuardDeadline, ARequestTricklingInIsOverdueWhateverItsBytes) {
    TConnectionGuard guard({8, 8, 0, 1000ms, 5000ms});
    const auto start = std::chrono::steady_clock::now();
    guard.Opened(1, "a", start);
    guard.Opened(2, "a", start);
    guard.SetBusy(2, true, start + 1s); // its request is in: the answer is not bounded here
    EXPECT_TRUE(guard.Overdue(start + 4s).empty());
    EXPECT_EQ(guard.Overdue(start + 5s), std::vector<TConnectionGuard::TId>{1});
    EXPECT_EQ(guard.Count(), 1u);
    guard.SetBusy(2, false, start + 6s); // answered: the next request's time starts now
    EXPECT_TRUE(guard.Overdue(start + 10s).empty());
    EXPECT_EQ(guard.Overdue(start + 11s), std::vector<TConnectionGuard::TId>{2});
}

TEST(ConnectionGuardClosed, AClosedConnectionFreesItsPlace) {
    TConnectionGuard guard({1, 1, 0});
    guard.Opened(1, "a");
    guard.SetBusy(1, true);
    EXPECT_FALSE(guard.Admit("b").Accept);
    guard.Closed(1);
    EXPECT_TRUE(guard.Admit("b").Accept);
}

std::string Key(const char* text, const std::vector<std::string>& own = {}) {
    sockaddr_in6 v6{};
    sockaddr_in v4{};
    if (inet_pton(AF_INET, text, &v4.sin_addr) == 1) {
        v4.sin_family = AF_INET;
        return PeerKey(reinterpret_cast<sockaddr*>(&v4), own);
    }
    inet_pton(AF_INET6, text, &v6.sin6_addr);
    v6.sin6_family = AF_INET6;
    return PeerKey(reinterpret_cast<sockaddr*>(&v6), own);
}

TEST(PeerKey, OneMachineIsOnePeerWhateverAddressItShows) {
    EXPECT_EQ(Key("192.168.1.20"), Key("::ffff:192.168.1.20"));
    EXPECT_NE(Key("192.168.1.20"), Key("192.168.1.21"));
    EXPECT_EQ(Key("2001:db8:1:2::1"), Key("2001:db8:1:2:aaaa:bbbb:cccc:dddd"));
    EXPECT_NE(Key("2001:db8:1:2::1"), Key("2001:db8:1:3::1"));
}

TEST(PeerKey, OnTheBridgesOwnLinkEachIpv6DeviceCountsAlone) {
    const std::vector<std::string> own{std::string("\x20\x01\x0d\xb8\x00\x01\x00\x02", 8)};
    EXPECT_NE(Key("2001:db8:1:2::1", own), Key("2001:db8:1:2::2", own));
    EXPECT_NE(Key("fe80::1"), Key("fe80::2"));
    EXPECT_EQ(Key("2001:db8:1:3::1", own), Key("2001:db8:1:3::2", own));
}

} // namespace
