// The token's comparison: only the exact token opens anything, whatever is shown instead.
#include "tools/remote/TRemoteToken.h"

#include <gtest/gtest.h>

namespace {

struct TMatchCase {
    std::string Given;
    bool Matches;
};

class RemoteTokenMatch : public testing::TestWithParam<TMatchCase> {};

TEST_P(RemoteTokenMatch, OnlyTheExactTokenMatches) {
    const std::string expected = "0123456789abcdef0123456789abcdef";
    EXPECT_EQ(TRemoteToken::Matches(expected, GetParam().Given), GetParam().Matches);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RemoteTokenMatch,
    testing::Values(TMatchCase{"0123456789abcdef0123456789abcdef", true},
                    TMatchCase{"0123456789abcdef0123456789abcdee", false},
                    TMatchCase{"1123456789abcdef0123456789abcdef", false},
                    TMatchCase{"0123456789abcdef0123456789abcde", false},
                    TMatchCase{"0123456789abcdef0123456789abcdef0", false},
                    TMatchCase{std::string("0123456789abcdef0123456789abcdef\0", 33), false},
                    TMatchCase{"0123456789ABCDEF0123456789ABCDEF", false}, TMatchCase{"", false}));

TEST(RemoteTokenMatchEmpty, AnEmptyExpectedTokenMatchesNothing) {
    EXPECT_FALSE(TRemoteToken::Matches("", ""));
}

} // namespace
