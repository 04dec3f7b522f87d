// What the line makes of received noise, why an open fails, and what a look at an open port sees
// when its device hangs up or its name is re-pointed.
#include "serial/TSerial.h"
#include "tests/support/ChildWait.h"
#include "tests/support/PtyLine.h"

#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>

using testline::TPtyLine;
using testline::TTempWorkDir;

namespace {

void SetBoardLine(TSerial& serial, int portCode) {
    serial.SetLineParams(portCode, 9600, 8, 0, 0, 256, 10000);
    serial.ReportOpenFailures(false);
}

std::string AllByteValues() {
    std::string bytes;
    for (int value = 0; value < 256; ++value)
        bytes += static_cast<char>(value);
    return bytes;
}

struct TNoise {
    const char* name;
    std::string bytes;
};

class ReceivedNoise : public testing::TestWithParam<TNoise> {};

// XOFF (0x13) would hold output under IXON; every byte value, in repeated bursts while messages
// go out, covers the rest.
TEST_P(ReceivedNoise, NeverHoldsOrAltersWhatIsSent) {
    TTempWorkDir dir;
    TPtyLine line(1);
    TSerial serial;
    SetBoardLine(serial, 1);
    ASSERT_EQ(serial.Open(), 1);
    const std::string message = "\x02L0\tA        7\t\r\n";
    for (int round = 0; round < 50; ++round) {
        ASSERT_EQ(write(line.Master, GetParam().bytes.data(), GetParam().bytes.size()),
                  static_cast<ssize_t>(GetParam().bytes.size()));
        ASSERT_EQ(serial.WriteText(message.c_str()), 1) << round;
        ASSERT_EQ(line.ReadBytes(message.size(), 1000), message) << round;
        // Nothing is ever read here: drop what piled up, as a full input buffer would.
        tcflush(line.Slave, TCIFLUSH);
    }
    EXPECT_EQ(serial.PendingBytes(), 0);
}

INSTANTIATE_TEST_SUITE_P(Bytes, ReceivedNoise,
                         testing::Values(TNoise{"Xoff", "\x13"},
                                         TNoise{"XoffAndXon", "\x13\x11\x13"},
                                         TNoise{"EveryValue", AllByteValues()}),
                         [](const auto& c) { return std::string(c.param.name); });

struct TFailingPort {
    const char* name;
    void (*make)(const std::string& link); // puts something at ports/Com5, or nothing
    TLineStatus expected;
};

class FailingOpen : public testing::TestWithParam<TFailingPort> {};

TEST_P(FailingOpen, SaysWhy) {
    TTempWorkDir dir;
    GetParam().make("ports/Com5");
    TSerial serial;
    SetBoardLine(serial, 5);
    EXPECT_EQ(serial.Open(), 0);
    EXPECT_EQ(serial.OpenResult(), GetParam().expected);
    EXPECT_NE(std::string(serial.OpenFailureDetail()), "");
    EXPECT_FALSE(serial.IsOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Causes, FailingOpen,
    testing::Values(
        TFailingPort{"DanglingLink",
                     [](const std::string& link) {
                         std::filesystem::create_symlink("/nonexistent/ttyUSB0", link);
                     },
                     TLineStatus::NoSuchPort},
        TFailingPort{"PlainFile",
                     [](const std::string& link) { std::ofstream(link) << "not a port"; },
                     TLineStatus::NotSerial},
        TFailingPort{"Directory",
                     [](const std::string& link) { std::filesystem::create_directory(link); },
                     TLineStatus::NotSerial},
        TFailingPort{
            "CharacterDeviceThatIsNoTty",
            [](const std::string& link) { std::filesystem::create_symlink("/dev/null", link); },
            TLineStatus::NotSerial}),
    [](const auto& c) { return std::string(c.param.name); });

TEST(FailingOpen, NoNameAtAllIsNoSuchPortAndNoPortIsOff) {
    TTempWorkDir dir;
    TSerial serial;
    SetBoardLine(serial, 31); // a card port that only exists through a link
    EXPECT_EQ(serial.Open(), 0);
    EXPECT_EQ(serial.OpenResult(), TLineStatus::NoSuchPort);
    SetBoardLine(serial, 0);
    EXPECT_EQ(serial.Open(), 0);
    EXPECT_EQ(serial.OpenResult(), TLineStatus::Off);
}

// A retry that finds no device: unplugged only for a port that worked since it was chosen.
TEST(FailingOpen, RetryOfAPortThatNeverOpenedIsStillNoSuchPort) {
    EXPECT_EQ(RetryStatus(TLineStatus::NoSuchPort, false), TLineStatus::NoSuchPort);
    EXPECT_EQ(RetryStatus(TLineStatus::NoSuchPort, true), TLineStatus::Unplugged);
    EXPECT_EQ(RetryStatus(TLineStatus::InUse, true), TLineStatus::InUse);
}

TEST(FailingOpen, HeldPortIsInUseAndOpensOnceLetGo) {
    TTempWorkDir dir;
    TPtyLine line(2);
    const int holder = open(line.SlavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
    TSerial serial;
    SetBoardLine(serial, 2);
    EXPECT_EQ(serial.Open(), 0);
    EXPECT_EQ(serial.OpenResult(), TLineStatus::InUse);
    close(holder);
    EXPECT_EQ(serial.Open(), 1);
    EXPECT_EQ(serial.OpenResult(), TLineStatus::Working);
}

TEST(FailingOpen, DeviceTheUserMayNotOpenIsNoPermission) {
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to become a user outside the terminal's group";
    TTempWorkDir dir;
    std::filesystem::permissions(dir.Path, std::filesystem::perms::all);
    TPtyLine line(3);
    ASSERT_EQ(chmod(line.SlavePath.c_str(), 0600), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(100);
        TSerial serial;
        SetBoardLine(serial, 3);
        _exit(serial.Open() == 0 ? static_cast<int>(serial.OpenResult()) : 101);
    }
    int status = 0;
    ASSERT_TRUE(testwait::WaitChild(child, &status));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), static_cast<int>(TLineStatus::NoPermission));
}

TEST(DeviceCheck, SeesAHangUpWithoutWriting) {
    TTempWorkDir dir;
    TPtyLine line(1);
    TSerial serial;
    SetBoardLine(serial, 1);
    ASSERT_EQ(serial.Open(), 1);
    EXPECT_TRUE(serial.CheckDevice());
    EXPECT_FALSE(serial.HasVanished());
    line.CloseMaster();
    EXPECT_FALSE(serial.CheckDevice());
    EXPECT_TRUE(serial.HasVanished());
}

TEST(DeviceCheck, FollowsARepointedLinkButKeepsADeviceWhoseLinkWasRemoved) {
    TTempWorkDir dir;
    TPtyLine line(1);
    TSerial serial;
    SetBoardLine(serial, 1);
    ASSERT_EQ(serial.Open(), 1);
    std::filesystem::remove("ports/Com1");
    EXPECT_TRUE(serial.CheckDevice()); // still takes bytes: nothing to gain by dropping it
    TPtyLine other(1);                 // the name now leads to another device
    EXPECT_FALSE(serial.CheckDevice());
    EXPECT_FALSE(serial.HasVanished());
}

} // namespace
