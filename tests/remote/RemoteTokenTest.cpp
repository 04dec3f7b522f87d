// The pairing token on disk and the directory it lives in, with Linux's modes and links.
#include "tools/remote/TOwnDirectory.h"
#include "tools/remote/TRemoteToken.h"

#include <fcntl.h>
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
        DirFd = open(pattern, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }
    void TearDown() override {
        close(DirFd);
        std::filesystem::remove_all(Dir);
    }
    bool Load(std::string& token, TTokenOrigin& origin, std::string& error) {
        return TRemoteToken::LoadOrCreate(DirFd, "remote-token", token, origin, error);
    }
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
    int DirFd = -1;
};

TEST_F(RemoteToken, MadeOnceWithMode0600AndKeptAfterwards) {
    std::string first, second, error;
    TTokenOrigin origin;
    ASSERT_TRUE(Load(first, origin, error)) << error;
    EXPECT_EQ(origin, TTokenOrigin::Made);
    EXPECT_TRUE(TRemoteToken::IsWellFormed(first)) << first;
    EXPECT_EQ(Read(Path), first);
    EXPECT_EQ(Mode(Path), 0600u);
    ASSERT_TRUE(Load(second, origin, error)) << error;
    EXPECT_EQ(origin, TTokenOrigin::Kept);
    EXPECT_EQ(second, first);
}

TEST_F(RemoteToken, TwoNewTokensDiffer) {
    std::string a, b;
    ASSERT_TRUE(TRemoteToken::MakeNew(a));
    ASSERT_TRUE(TRemoteToken::MakeNew(b));
    EXPECT_NE(a, b);
}

TEST_F(RemoteToken, DamagedFileIsReplaced) {
    for (const char* damaged : {"", "not a token\n", "0123456789ABCDEF0123456789ABCDEF\n",
                                "0123456789abcdef0123456789abcde\n"}) {
        std::ofstream(Path, std::ios::trunc) << damaged;
        chmod(Path.c_str(), 0600);
        std::string token, error;
        TTokenOrigin origin;
        ASSERT_TRUE(Load(token, origin, error)) << error;
        EXPECT_EQ(origin, TTokenOrigin::Damaged) << damaged;
        EXPECT_EQ(Read(Path), token);
    }
}

// A token others could read is no secret: a new one, in a file of mode 0600.
class RemoteTokenExposed : public RemoteToken, public testing::WithParamInterface<unsigned> {};

TEST_P(RemoteTokenExposed, IsReplacedByANewOne) {
    const std::string old = "0123456789abcdef0123456789abcdef";
    std::ofstream(Path) << old << "\n";
    chmod(Path.c_str(), GetParam());
    std::string token, error;
    TTokenOrigin origin;
    ASSERT_TRUE(Load(token, origin, error)) << error;
    EXPECT_EQ(origin, TTokenOrigin::Exposed);
    EXPECT_NE(token, old);
    EXPECT_EQ(Read(Path), token);
    EXPECT_EQ(Mode(Path), 0600u);
}

INSTANTIATE_TEST_SUITE_P(Modes, RemoteTokenExposed, testing::Values(0640u, 0660u, 0644u, 0604u));

TEST_F(RemoteToken, LinkOrDirectoryInItsPlaceIsRefusedAndLeftAlone) {
    std::string target = Dir + "/elsewhere";
    std::ofstream(target) << "0123456789abcdef0123456789abcdef\n";
    ASSERT_EQ(symlink(target.c_str(), Path.c_str()), 0);
    std::string token, error;
    TTokenOrigin origin;
    EXPECT_FALSE(Load(token, origin, error));
    EXPECT_NE(error.find("link"), std::string::npos) << error;
    EXPECT_TRUE(std::filesystem::is_symlink(Path));
    std::filesystem::remove(Path);
    std::filesystem::create_directory(Path);
    EXPECT_FALSE(Load(token, origin, error));
    EXPECT_TRUE(std::filesystem::is_directory(Path));
}

// The directory: ours and closed to others, else refused with one line and left as it is.
struct TDirCase {
    const char* Name;
    unsigned Mode;
    bool Foreign;
    bool Accepted;
};

class RemoteDirectory : public RemoteToken, public testing::WithParamInterface<TDirCase> {};

TEST_P(RemoteDirectory, IsUsedOnlyWhenNobodyElseCanChangeIt) {
    const TDirCase& c = GetParam();
    std::string path = Dir + "/kadrant";
    ASSERT_EQ(mkdir(path.c_str(), 0700), 0);
    chmod(path.c_str(), c.Mode);
    if (c.Foreign && chown(path.c_str(), geteuid() + 1, static_cast<gid_t>(-1)) != 0)
        GTEST_SKIP() << "giving a directory away needs root";
    std::string why;
    int fd = OpenOwnDirectory(path, why);
    EXPECT_EQ(fd >= 0, c.Accepted) << why;
    EXPECT_EQ(why.find('\n'), std::string::npos);
    EXPECT_EQ(why.empty(), c.Accepted) << why;
    EXPECT_EQ(Mode(path), c.Mode & 0777); // left as it was
    if (fd >= 0)
        close(fd);
}

INSTANTIATE_TEST_SUITE_P(Table, RemoteDirectory,
                         testing::Values(TDirCase{"Private", 0700, false, true},
                                         TDirCase{"Readable", 0755, false, true},
                                         TDirCase{"WorldWritable", 0777, false, false},
                                         TDirCase{"StickyWorldWritable", 01777, false, false},
                                         TDirCase{"Foreign", 0700, true, false}),
                         [](const testing::TestParamInfo<TDirCase>& c) {
                             return std::string(c.param.Name);
                         });

TEST_F(RemoteToken, MissingDirectoryIsMadePrivate) {
    std::string path = Dir + "/a/kadrant", why;
    int fd = OpenOwnDirectory(path, why);
    ASSERT_GE(fd, 0) << why;
    close(fd);
    EXPECT_EQ(Mode(path), 0700u);
}

} // namespace
