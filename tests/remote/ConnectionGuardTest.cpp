// Which connection gives way when the bridge is full, and which peer a connection counts for.
#include "tools/remote/TConnectionGuard.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>

namespace {

struct TOpen {
    TConnectionGuard::TId Id;
    std::string Peer;
    bool Busy = false;
    bool Trusted = false;
};

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
    for (const TOpen& open : c.Open) {
        ASSERT_TRUE(guard.Admit(open.Peer).Shed.empty());
        guard.Opened(open.Id, open.Peer);
        guard.SetBusy(open.Id, open.Busy);
        if (open.Trusted)
            guard.SetTrusted(open.Id);
    }
    TConnectionGuard::TAdmission admission = guard.Admit(c.Newcomer);
    EXPECT_EQ(admission.Accept, c.Accepted);
    EXPECT_EQ(admission.Shed, c.Shed);
    EXPECT_EQ(guard.Count(), c.Open.size() - c.Shed.size());
}

INSTANTIATE_TEST_SUITE_P(
    Table, ConnectionGuard,
    testing::Values(TGuardCase{"RoomLeft", {4, 2}, {{1, "a"}, {2, "b"}}, "a", true, {}},
                    TGuardCase{"PeerOverItsBoundGivesUpItsOldestIdle",
                               {8, 2},
                               {{1, "a", true}, {2, "a"}, {3, "b"}},
                               "a",
                               true,
                               {2}},
                    TGuardCase{"PeerWithEveryConnectionBusyIsRefused",
                               {8, 2},
                               {{1, "a", true}, {2, "a", true}},
                               "a",
                               false,
                               {}},
                    TGuardCase{"FullTheLargestHolderGivesWay",
                               {4, 4},
                               {{1, "b"}, {2, "a"}, {3, "a"}, {4, "a"}},
                               "c",
                               true,
                               {2}},
                    TGuardCase{"FullTheTokenHoldersAreKeptLongest",
                               {3, 4},
                               {{1, "a", false, true}, {2, "a", false, true}, {3, "b"}},
                               "c",
                               true,
                               {3}},
                    TGuardCase{"FullAndEveryoneBusyTheNewcomerIsRefused",
                               {2, 4},
                               {{1, "a", true}, {2, "b", true}},
                               "c",
                               false,
                               {}}),
    [](const testing::TestParamInfo<TGuardCase>& c) { return std::string(c.param.Name); });

TEST(ConnectionGuardClosed, AClosedConnectionFreesItsPlace) {
    TConnectionGuard guard({1, 1});
    guard.Opened(1, "a");
    guard.SetBusy(1, true);
    EXPECT_FALSE(guard.Admit("b").Accept);
    guard.Closed(1);
    EXPECT_TRUE(guard.Admit("b").Accept);
}

std::string Key(const char* text) {
    sockaddr_in6 v6{};
    sockaddr_in v4{};
    if (inet_pton(AF_INET, text, &v4.sin_addr) == 1) {
        v4.sin_family = AF_INET;
        return PeerKey(reinterpret_cast<sockaddr*>(&v4));
    }
    inet_pton(AF_INET6, text, &v6.sin6_addr);
    v6.sin6_family = AF_INET6;
    return PeerKey(reinterpret_cast<sockaddr*>(&v6));
}

TEST(PeerKey, OneMachineIsOnePeerWhateverAddressItShows) {
    EXPECT_EQ(Key("192.168.1.20"), Key("::ffff:192.168.1.20"));
    EXPECT_NE(Key("192.168.1.20"), Key("192.168.1.21"));
    EXPECT_EQ(Key("2001:db8:1:2::1"), Key("2001:db8:1:2:aaaa:bbbb:cccc:dddd"));
    EXPECT_NE(Key("2001:db8:1:2::1"), Key("2001:db8:1:3::1"));
}

} // namespace
