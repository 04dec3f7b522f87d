// The pairing token on disk and its comparison.
#include "tools/remote/TRemoteToken.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class RemoteToken : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kadrant-token-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        Dir = pattern;
        Path = Dir + "/remote-token";
    }
    void TearDown() override { std::filesystem::remove_all(Dir); }
    static std::string Read(const std::string& path) {
        std::ifstream in(path);
        std::string line;
        std::getline(in, line);
        return line;
    }
    static unsigned Mode(const std::string& path) {
        struct stat info {};
        stat(path.c_str(), &info);
        return info.st_mode & 0777;
    }
    std::string Dir, Path;
};

TEST_F(RemoteToken, MadeOnceWithMode0600AndKeptAfterwards) {
    std::string first, second, error;
    bool created = false;
    ASSERT_TRUE(TRemoteToken::LoadOrCreate(Path, first, created, error)) << error;
    EXPECT_TRUE(created);
    EXPECT_TRUE(TRemoteToken::IsWellFormed(first)) << first;
    EXPECT_EQ(Read(Path), first);
    EXPECT_EQ(Mode(Path), 0600u);
    ASSERT_TRUE(TRemoteToken::LoadOrCreate(Path, second, created, error)) << error;
    EXPECT_FALSE(created);
    EXPECT_EQ(second, first);
}

TEST_F(RemoteToken, TwoNewTokensDiffer) {
    std::string a, b;
    ASSERT_TRUE(TRemoteToken::MakeNew(a));
    ASSERT_TRUE(TRemoteToken::MakeNew(b));
    EXPECT_NE(a, b);
}

TEST_F(RemoteToken, DamagedFileIsReplacedAndLooseModeTightened) {
    for (const char* damaged : {"", "not a token\n", "0123456789ABCDEF0123456789ABCDEF\n",
                                "0123456789abcdef0123456789abcde\n"}) {
        std::ofstream(Path, std::ios::trunc) << damaged;
        std::string token, error;
        bool created = false;
        ASSERT_TRUE(TRemoteToken::LoadOrCreate(Path, token, created, error)) << error;
        EXPECT_TRUE(created) << damaged;
        EXPECT_EQ(Read(Path), token);
    }
    chmod(Path.c_str(), 0644);
    std::string token, error;
    bool created = false;
    ASSERT_TRUE(TRemoteToken::LoadOrCreate(Path, token, created, error));
    EXPECT_FALSE(created);
    EXPECT_EQ(Mode(Path), 0600u);
}

TEST_F(RemoteToken, LinkOrDirectoryInItsPlaceIsRefusedAndLeftAlone) {
    std::string target = Dir + "/elsewhere";
    std::ofstream(target) << "0123456789abcdef0123456789abcdef\n";
    ASSERT_EQ(symlink(target.c_str(), Path.c_str()), 0);
    std::string token, error;
    bool created = false;
    EXPECT_FALSE(TRemoteToken::LoadOrCreate(Path, token, created, error));
    EXPECT_NE(error.find("link"), std::string::npos) << error;
    EXPECT_TRUE(std::filesystem::is_symlink(Path));
    std::filesystem::remove(Path);
    std::filesystem::create_directory(Path);
    EXPECT_FALSE(TRemoteToken::LoadOrCreate(Path, token, created, error));
    EXPECT_TRUE(std::filesystem::is_directory(Path));
}

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
