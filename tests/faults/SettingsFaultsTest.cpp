// Damaged "config.dat" under the running program: truncated, oversized, random bytes, a
// directory, a read-only file. Each loads into the dialog, survives the sweeps, the control
// states and every button with whatever codes it holds, and is saved back as a full record
// where it can be written.
#include "FaultsFixture.h"
#include "tests/support/ChildWait.h"

#include <cstdint>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace faults {
namespace {

constexpr std::size_t ReservedOffset = 340;
constexpr std::size_t SoundFileOffset = 84;
constexpr uid_t NobodyId = 65534;

// A plausible record with every byte telling: a sound file, a reserved area with a pattern.
std::string FullRecord() {
    TSettingsRecord record = CountDownRecord();
    record.inLoop = 1;
    std::strcpy(record.soundFile, "/nonexistent/end.wav");
    for (std::size_t i = 0; i < sizeof record.reserved; ++i)
        record.reserved[i] = static_cast<uint8_t>(i * 7 + 3);
    return RecordBytes(record);
}

std::string RandomBytes(std::mt19937& random, std::size_t size) {
    std::string bytes(size, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(random() & 0xFF);
    return bytes;
}

// Random bytes whose ten codes are small, so that they hit the lists' edges and the functions.
std::string RandomSmallCodes(std::mt19937& random) {
    std::string bytes = RandomBytes(random, SettingsRecordSize);
    std::uniform_int_distribution<int32_t> code(-3, 30);
    for (std::size_t offset = 44; offset < SoundFileOffset; offset += 4) {
        const int32_t value = code(random);
        std::memcpy(bytes.data() + offset, &value, 4);
    }
    return bytes;
}

struct TFileCase {
    std::string Name;
    std::string Bytes;
    friend void PrintTo(const TFileCase& file, std::ostream* out) { *out << file.Name; }
};

std::vector<TFileCase> FileCases() {
    std::vector<TFileCase> cases;
    for (std::size_t size : {0, 1, 100, 595})
        cases.push_back({"Truncated" + std::to_string(size), FullRecord().substr(0, size)});
    std::string oversized = FullRecord();
    for (std::size_t i = oversized.size(); i < 5000; ++i)
        oversized += static_cast<char>('a' + i % 26);
    cases.push_back({"Oversized5000", oversized});
    for (unsigned seed = 1; seed <= 6; ++seed) {
        std::mt19937 random(seed);
        cases.push_back({"RandomRecord" + std::to_string(seed), RandomBytes(random, 596)});
        std::uniform_int_distribution<std::size_t> size(0, 2000);
        cases.push_back({"RandomLength" + std::to_string(seed), RandomBytes(random, size(random))});
        cases.push_back({"RandomSmallCodes" + std::to_string(seed), RandomSmallCodes(random)});
    }
    return cases;
}

class SettingsFileFaults : public ProgramUnderFaults {
protected:
    // What the program runs on once it has loaded `file`: its first 596 bytes, zeros where it
    // is short, and a sound file path cut so that it ends inside its field.
    static std::string ExpectedLoad(const std::string& file) {
        std::string record = file.substr(0, SettingsRecordSize);
        record.resize(SettingsRecordSize, '\0');
        if (record.find('\0', SoundFileOffset) >= ReservedOffset)
            record[ReservedOffset - 1] = '\0';
        return record;
    }

    // The user's whole session on whatever the record holds: both sweeps and the control
    // states on the codes as loaded, every button, a few counted seconds, then the close.
    void RunSessionAndClose() {
        Start();
        Dialog->TransferToControls();
        Dialog->UpdateControlStates();
        Dialog->TransferFromControls();
        Dialog->TransferToControls();
        Dialog->UpdateControlStates();
        Click(IdReset);
        Click(IdStart);
        for (int second = 0; second < 3; ++second)
            EXPECT_LT(Second(), HandlerLimit);
        Click(IdStop);
        Click(IdReset);
        QTest::qWait(50);
        ASSERT_TRUE(Frame->close());
        Saved = RecordBytes(Program.Settings);
    }

    std::string Saved; // the record in memory when the window closed
};

class DamagedSettingsFile : public SettingsFileFaults,
                            public testing::WithParamInterface<TFileCase> {};

TEST_P(DamagedSettingsFile, LoadsIntoTheRunningProgramAndIsSavedBackAsAFullRecord) {
    const std::string& original = GetParam().Bytes;
    WriteFile(SettingsFileName, original);

    Build();
    EXPECT_EQ(RecordBytes(Program.Settings), ExpectedLoad(original));
    ASSERT_NO_FATAL_FAILURE(RunSessionAndClose());

    const std::string file = ReadFile(SettingsFileName);
    ASSERT_EQ(file.size(), std::max(SettingsRecordSize, original.size()));
    EXPECT_EQ(file.substr(0, SettingsRecordSize), Saved);
    EXPECT_EQ(Int32At(file, 0), 44);
    // The reserved area goes back as it came; bytes past the record are never touched.
    EXPECT_EQ(file.substr(ReservedOffset, SettingsRecordSize - ReservedOffset),
              ExpectedLoad(original).substr(ReservedOffset));
    if (original.size() > SettingsRecordSize) {
        EXPECT_EQ(file.substr(SettingsRecordSize), original.substr(SettingsRecordSize));
    }
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedSettingsFile, testing::ValuesIn(FileCases()),
                         [](const testing::TestParamInfo<TFileCase>& fileCase) {
                             return fileCase.param.Name;
                         });

TEST_F(SettingsFileFaults, DirectoryInPlaceOfTheFileRunsOnFirstRunValuesAndStaysADirectory) {
    std::filesystem::create_directory(SettingsFileName);
    Build();
    TSettingsRecord firstRun{};
    SetFirstRunValues(firstRun);
    EXPECT_EQ(RecordBytes(Program.Settings), RecordBytes(firstRun));
    ASSERT_NO_FATAL_FAILURE(RunSessionAndClose());
    EXPECT_TRUE(std::filesystem::is_directory(SettingsFileName));
    EXPECT_TRUE(std::filesystem::is_empty(SettingsFileName));
}

// Runs this very test again in a child program that gives up root for "nobody" before it does
// anything else; false when the child could not be started as that user.
bool RunThisTestAsNobody(int& exitCode) {
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    const std::string filter =
        std::string("--gtest_filter=") + test->test_suite_name() + "." + test->name();
    const pid_t child = ::fork();
    if (child == 0) {
        ::setenv("KADRANT_FAULTS_AS_UID", std::to_string(NobodyId).c_str(), 1);
        // The child's leak check cannot stop its threads once it has changed its user.
        ::setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
        ::execl("/proc/self/exe", "kadrant_faults_test", filter.c_str(), nullptr);
        ::_exit(127);
    }
    int status = 0;
    if (child < 0 || !testwait::WaitChild(child, &status, std::chrono::seconds(60)) ||
        !WIFEXITED(status))
        return false;
    exitCode = WEXITSTATUS(status);
    return exitCode != 127 && exitCode != 126;
}

TEST_F(SettingsFileFaults, ReadOnlyFileRunsOnFirstRunValuesAndIsLeftAsItWas) {
    if (::geteuid() == 0) {
        int exitCode = -1;
        if (!RunThisTestAsNobody(exitCode))
            GTEST_SKIP() << "this test needs an unprivileged user; could not run it as uid "
                         << NobodyId;
        EXPECT_EQ(exitCode, 0) << "the test failed as an unprivileged user (output above)";
        return;
    }
    // As saved by another run, with Test as the function.
    std::string original = FullRecord();
    const int32_t test = FunctionTest;
    std::memcpy(original.data() + 52, &test, 4);
    WriteFile(SettingsFileName, original);
    ASSERT_EQ(::chmod(SettingsFileName, 0444), 0);
    ASSERT_NE(::access(SettingsFileName, W_OK), 0) << "the file must be out of this user's reach";

    Build();
    TSettingsRecord firstRun{};
    SetFirstRunValues(firstRun);
    EXPECT_EQ(RecordBytes(Program.Settings), RecordBytes(firstRun));
    EXPECT_EQ(Program.Settings.functionCode, FunctionCountUp);
    ASSERT_NO_FATAL_FAILURE(RunSessionAndClose());
    EXPECT_EQ(ReadFile(SettingsFileName), original);
}

} // namespace
} // namespace faults
