// "config.dat" that cannot be opened for writing, in Linux's own ways, since root may write a
// read-only file: a plain read-only file opened by an unprivileged user (the test drops to
// "nobody" in a child process when it runs as root), an immutable file (FS_IMMUTABLE_FL, what
// chattr +i sets), and a directory nobody may write; and the group's write bit.
#include "tests/settings/ReadOnlySettings.h"
#include "tests/support/ChildWait.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <linux/fs.h>
#include <optional>
#include <string>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr uid_t NobodyId = 65534;

// Runs the program's start and close as an unprivileged user; the record comes back by a pipe.
std::optional<TSettingsRecord> RunProgramAsUnprivilegedUser(const std::string& path) {
    if (::geteuid() != 0)
        return RunProgramOn(path);
    int channel[2];
    if (::pipe(channel) != 0)
        return std::nullopt;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        if (::setgroups(0, nullptr) != 0 || ::setgid(NobodyId) != 0 || ::setuid(NobodyId) != 0)
            ::_exit(2);
        if (::access(path.c_str(), W_OK) == 0)
            ::_exit(3); // the file must really be out of this user's reach
        const TSettingsRecord record = RunProgramOn(path);
        const bool sent = ::write(channel[1], &record, sizeof record) == sizeof record;
        ::_exit(sent ? 0 : 4);
    }
    ::close(channel[1]);
    TSettingsRecord record{};
    const ssize_t got = ::read(channel[0], &record, sizeof record);
    ::close(channel[0]);
    int status = 0;
    EXPECT_TRUE(testwait::WaitChild(child, &status, std::chrono::seconds(30)));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    if (got != static_cast<ssize_t>(sizeof record))
        return std::nullopt;
    return record;
}

TEST_F(ReadOnlySettingsTest, ReadOnlyFileForAnUnprivilegedUser) {
    const TBytes saved = SavedRecordWithFunctionTest();
    WriteBytes(ConfigPath(), saved);
    ASSERT_EQ(0, ::chmod(ConfigPath().c_str(), 0444));
    ASSERT_EQ(0, ::chmod(dir_.Path().c_str(), 0755));

    const std::optional<TSettingsRecord> record = RunProgramAsUnprivilegedUser(ConfigPath());
    ASSERT_TRUE(record.has_value());
    ExpectFirstRunValues(*record);
    EXPECT_EQ(saved, ReadBytes(ConfigPath()));
}

TEST_F(ReadOnlySettingsTest, UnwritableDirectoryWithoutConfigDat) {
    ASSERT_EQ(0, ::chmod(dir_.Path().c_str(), 0555));
    const std::optional<TSettingsRecord> record = RunProgramAsUnprivilegedUser(ConfigPath());
    ::chmod(dir_.Path().c_str(), 0700);
    ASSERT_TRUE(record.has_value());
    ExpectFirstRunValues(*record);
    EXPECT_FALSE(std::filesystem::exists(ConfigPath()));
}

TEST_F(ReadOnlySettingsTest, ImmutableFileEvenForRoot) {
    const TBytes saved = SavedRecordWithFunctionTest();
    WriteBytes(ConfigPath(), saved);
    const int descriptor = ::open(ConfigPath().c_str(), O_RDONLY);
    ASSERT_GE(descriptor, 0);
    int flags = 0;
    const bool canSet =
        ::ioctl(descriptor, FS_IOC_GETFLAGS, &flags) == 0 &&
        (flags |= FS_IMMUTABLE_FL, ::ioctl(descriptor, FS_IOC_SETFLAGS, &flags) == 0);
    if (!canSet) {
        ::close(descriptor);
        GTEST_SKIP() << "the immutable flag cannot be set here (needs CAP_LINUX_IMMUTABLE and a "
                        "file system that has it); the unprivileged-user test covers the case";
    }

    const TSettingsRecord record = RunProgramOn(ConfigPath());
    const TBytes after = ReadBytes(ConfigPath());
    flags &= ~FS_IMMUTABLE_FL;
    ::ioctl(descriptor, FS_IOC_SETFLAGS, &flags);
    ::close(descriptor);

    ExpectFirstRunValues(record);
    EXPECT_EQ(saved, after);
}

// One write bit, even a group's, is enough: Windows has no group bits, its read-only attribute
// follows the owner's.
TEST_F(ReadOnlySettingsTest, AGroupWriteBitIsEnough) {
    WriteBytes(ConfigPath(), SavedRecordWithFunctionTest());
    ASSERT_EQ(0, ::chmod(ConfigPath().c_str(), 0464));
    const TSettingsRecord record = RunProgramOn(ConfigPath());
    EXPECT_EQ(FunctionTest, record.functionCode);
    EXPECT_EQ(300, Int32At(ReadBytes(ConfigPath()), 28)); // the placement saved at close
}

} // namespace
