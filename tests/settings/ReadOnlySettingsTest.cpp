// "config.dat" that cannot be opened for writing: the program runs on the first-run values and the
// file is left as it was. Three ways to get such a file, since root may write a read-only file:
// a plain read-only file opened by an unprivileged user (the test drops to "nobody" in a child
// process when it runs as root), an immutable file (FS_IMMUTABLE_FL, what chattr +i sets), and a
// directory named config.dat.
#include "app/settings/SettingsStore.h"
#include "tests/settings/SettingsFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
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

// A record as another run saved it, with Test as the function.
TBytes SavedRecordWithFunctionTest() {
    TBytes bytes = PatternBytes(SettingsRecordSize);
    bytes[84] = 0;
    PutInt32(bytes, 52, FunctionTest);
    return bytes;
}

void ExpectFirstRunValues(const TSettingsRecord& record) {
    TSettingsRecord expected;
    SetFirstRunValues(expected);
    EXPECT_EQ(0, std::memcmp(&expected, &record, sizeof record));
    EXPECT_EQ(FunctionCountUp, record.functionCode);
    EXPECT_EQ(100, record.placement.normalPosition[0]);
    EXPECT_EQ(75, record.placement.normalPosition[1]);
}

// The program's start and close on path; returns the record it ran on.
TSettingsRecord RunProgramOn(const std::string& path) {
    TSFile file;
    TSettingsRecord record{};
    LoadSettings(file, record, path.c_str());
    ReadSettingsAgain(file, record);
    TSettingsRecord ranOn = record;
    TPlacementValues placement;
    placement.left = 300;
    placement.top = 200;
    SaveSettings(file, record, placement);
    return ranOn;
}

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
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    if (got != static_cast<ssize_t>(sizeof record))
        return std::nullopt;
    return record;
}

class ReadOnlySettingsTest : public ::testing::Test {
protected:
    std::string ConfigPath() const { return dir_.Path("config.dat").string(); }
    TTempDir dir_;
};

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

// Whoever runs the program, root included, a file without any write permission bit is left as it
// was; one write bit, even a group's, is enough for the program to use and save the file.
struct TModeCase {
    mode_t Mode;
    bool Writable;
};

class SettingsFileModeTest : public ReadOnlySettingsTest,
                             public ::testing::WithParamInterface<TModeCase> {};

TEST_P(SettingsFileModeTest, ProgramWritesOnlyAFileWithAWriteBit) {
    const TBytes saved = SavedRecordWithFunctionTest();
    WriteBytes(ConfigPath(), saved);
    ASSERT_EQ(0, ::chmod(ConfigPath().c_str(), GetParam().Mode));

    const TSettingsRecord record = RunProgramOn(ConfigPath());
    const TBytes after = ReadBytes(ConfigPath());
    if (GetParam().Writable) {
        EXPECT_EQ(FunctionTest, record.functionCode);
        EXPECT_EQ(300, Int32At(after, 28)); // the placement saved at close
    } else {
        ExpectFirstRunValues(record);
        EXPECT_EQ(saved, after);
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, SettingsFileModeTest,
                         ::testing::Values(TModeCase{0444, false}, TModeCase{0400, false},
                                           TModeCase{0555, false}, TModeCase{0000, false},
                                           TModeCase{0644, true}, TModeCase{0464, true}),
                         [](const ::testing::TestParamInfo<TModeCase>& mode) {
                             char name[16];
                             std::snprintf(name, sizeof name, "Mode%04o",
                                           static_cast<unsigned>(mode.param.Mode));
                             return std::string(name);
                         });

TEST_F(ReadOnlySettingsTest, DirectoryNamedConfigDat) {
    std::filesystem::create_directory(ConfigPath());
    const TSettingsRecord record = RunProgramOn(ConfigPath());
    ExpectFirstRunValues(record);
    EXPECT_TRUE(std::filesystem::is_directory(ConfigPath()));
    EXPECT_TRUE(std::filesystem::is_empty(ConfigPath()));
}

} // namespace
