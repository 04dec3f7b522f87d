// The serial line on real pseudo-terminals: names, exclusive open, settings, exact bytes.
#include "serial/TSerial.h"
#include "serial/PortPath.h"
#include "tests/support/ChildWait.h"
#include "tests/support/PtyLine.h"

#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/file.h>
#include <sys/wait.h>
#include <vector>

using testline::TPtyLine;
using testline::TTempWorkDir;

namespace {

void SetBoardLine(TSerial& serial, int portCode) {
    serial.SetLineParams(portCode, 9600, 8, 0, 0, 256, 10000);
}

} // namespace

TEST(PortName, NamesOfTheListedCodes) {
    EXPECT_STREQ(TSerial::PortName(0, false), "N.C.");
    EXPECT_STREQ(TSerial::PortName(1, false), "Com1");
    EXPECT_STREQ(TSerial::PortName(26, false), "Com26");
    EXPECT_STREQ(TSerial::PortName(27, true), "");
    EXPECT_STREQ(TSerial::PortName(30, true), "");
    EXPECT_STREQ(TSerial::PortName(31, false), "");
    EXPECT_STREQ(TSerial::PortName(31, true), "Digi1A1");
    EXPECT_STREQ(TSerial::PortName(46, true), "Digi1A16");
    EXPECT_STREQ(TSerial::PortName(47, true), "");
    EXPECT_STREQ(TSerial::PortName(51, true), "Digi1B1");
    EXPECT_STREQ(TSerial::PortName(86, true), "Digi1C16");
    EXPECT_STREQ(TSerial::PortName(91, true), "Digi2A1");
    EXPECT_STREQ(TSerial::PortName(111, true), "Digi2B1");
    EXPECT_STREQ(TSerial::PortName(146, true), "Digi2C16");
    EXPECT_STREQ(TSerial::PortName(-1, true), "");
    EXPECT_EQ(TSerial::PortName(147, true), nullptr);
    EXPECT_EQ(TSerial::PortName(147, false), nullptr);
}

TEST(PortName, TheUsersListHas147EntriesOfWhichTwentySevenAreNamed) {
    std::vector<std::string> list;
    for (int code = 0; const char* name = TSerial::PortName(code, false); ++code)
        list.emplace_back(name);
    ASSERT_EQ(list.size(), 147u);
    EXPECT_EQ(list[0], "N.C.");
    EXPECT_EQ(list[26], "Com26");
    for (size_t i = 27; i < list.size(); ++i)
        EXPECT_EQ(list[i], "") << i;
}

TEST(PortPath, LinkInCurrentDirectoryWinsOverTheSystemDevice) {
    TTempWorkDir dir;
    EXPECT_EQ(portpath::DevicePathFor("Com3"), "/dev/ttyS2");
    EXPECT_EQ(portpath::DevicePathFor("Com1"), "/dev/ttyS0");
    EXPECT_EQ(portpath::DevicePathFor("Digi1A1"), "");
    EXPECT_EQ(portpath::DevicePathFor("N.C."), "");
    EXPECT_EQ(portpath::DevicePathFor(""), "");
    EXPECT_EQ(portpath::DevicePathFor("../Com1"), "");
    TPtyLine line(3);
    EXPECT_EQ(portpath::DevicePathFor("Com3"), "ports/Com3");
    std::filesystem::create_symlink(line.SlavePath, "ports/Digi1A1");
    EXPECT_EQ(portpath::DevicePathFor("Digi1A1"), "ports/Digi1A1");
}

TEST(SerialOpen, AppliesTheLineSettingsAndTurnsOffEverythingThatActsOnReceivedBytes) {
    TTempWorkDir dir;
    TPtyLine line(3);
    termios before{};
    ASSERT_EQ(tcgetattr(line.Slave, &before), 0);
    before.c_iflag |= IXON | IXOFF | IXANY;
    before.c_lflag |= ISIG | ICANON | ECHO;
    before.c_oflag |= OPOST | ONLCR;
    before.c_cflag |= CRTSCTS | PARENB | CSTOPB;
    cfsetospeed(&before, B1200);
    ASSERT_EQ(tcsetattr(line.Slave, TCSANOW, &before), 0);

    TSerial serial;
    SetBoardLine(serial, 3);
    ASSERT_EQ(serial.Open(), 1);
    termios after{};
    ASSERT_EQ(tcgetattr(line.Slave, &after), 0);
    EXPECT_EQ(cfgetospeed(&after), B9600);
    EXPECT_EQ(after.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(after.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(after.c_oflag & OPOST, 0u);
    EXPECT_EQ(after.c_lflag & (ECHO | ISIG | ICANON), 0u);
    EXPECT_EQ(after.c_iflag & (IXON | IXOFF | IXANY), 0u);

    // CR LF and LF alone arrive exactly as sent.
    ASSERT_EQ(serial.WriteText("ab\r\ncd\n"), 1);
    EXPECT_EQ(line.ReadBytes(7), "ab\r\ncd\n");
    EXPECT_EQ(line.ReadUntilQuiet(100), "");
}

TEST(SerialOpen, PortCodeZeroFailsAndNothingIsSent) {
    TTempWorkDir dir;
    TSerial serial;
    SetBoardLine(serial, 0);
    EXPECT_EQ(serial.Open(), 0);
    EXPECT_FALSE(serial.IsOpen());
    EXPECT_EQ(serial.WriteText("x"), 0);
    EXPECT_EQ(serial.Close(), 0);
}

TEST(SerialOpen, CloseTwiceIsHarmlessAndOpenTwiceReopens) {
    TTempWorkDir dir;
    TPtyLine line(1);
    TSerial serial;
    SetBoardLine(serial, 1);
    EXPECT_EQ(serial.Close(), 0);
    ASSERT_EQ(serial.Open(), 1);
    ASSERT_EQ(serial.Open(), 1); // closes and opens again; its own lock does not stand in the way
    EXPECT_EQ(serial.WriteText("again"), 1);
    EXPECT_EQ(line.ReadBytes(5), "again");
    EXPECT_EQ(serial.Close(), 1);
    EXPECT_EQ(serial.Close(), 0);
    EXPECT_EQ(serial.WriteText("late"), 0);
    EXPECT_EQ(line.ReadUntilQuiet(100), "");
}

TEST(SerialOpen, IsExclusive) {
    TTempWorkDir dir;
    TPtyLine line(2);
    TSerial first, second;
    SetBoardLine(first, 2);
    SetBoardLine(second, 2);
    ASSERT_EQ(first.Open(), 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(second.Open(), 0);
    std::string message = testing::internal::GetCapturedStderr();
    EXPECT_NE(message.find("Com2"), std::string::npos) << message;
    EXPECT_NE(message.find("in use"), std::string::npos) << message;
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1);
    first.Close();
    EXPECT_EQ(second.Open(), 1);
}

TEST(SerialOpen, FailsWhileAnotherProgramHoldsThePort) {
    TTempWorkDir dir;
    TPtyLine line(4);
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t holder = fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        int fd = open(line.SlavePath.c_str(), O_RDWR | O_NOCTTY);
        char ok = (fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0) ? '1' : '0';
        (void)!write(ready[1], &ok, 1);
        pause();
        _exit(0);
    }
    char ok = 0;
    ASSERT_EQ(read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, '1');
    TSerial serial;
    SetBoardLine(serial, 4);
    testing::internal::CaptureStderr();
    EXPECT_EQ(serial.Open(), 0);
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(serial.IsOpen());
    testwait::KillChild(holder);
    close(ready[0]);
    close(ready[1]);
    EXPECT_EQ(serial.Open(), 1); // the lock went with the holder
}

TEST(SerialOpen, SomethingThatIsNotACharacterDeviceIsNotAPort) {
    TTempWorkDir dir;
    { std::ofstream("plain.txt") << ""; }
    std::filesystem::create_symlink("../plain.txt", "ports/Com5");
    std::filesystem::create_directory("ports/Com6");
    std::filesystem::create_symlink("/nonexistent/ttyX", "ports/Com7");
    std::filesystem::create_symlink("/dev/null", "ports/Com8"); // a character device, not a tty
    for (int code : {5, 6, 7, 8}) {
        TSerial serial;
        SetBoardLine(serial, code);
        testing::internal::CaptureStderr();
        EXPECT_EQ(serial.Open(), 0) << code;
        std::string message = testing::internal::GetCapturedStderr();
        EXPECT_NE(message.find("Com" + std::to_string(code)), std::string::npos) << message;
        EXPECT_EQ(serial.WriteText("never"), 0);
    }
    EXPECT_EQ(std::filesystem::file_size("plain.txt"), 0u);
}

TEST(SerialWrite, ATextThatDoesNotFitBeforeTheRingsEndStartsAtZero) {
    TTempWorkDir dir;
    TPtyLine line(1);
    TSerial serial;
    SetBoardLine(serial, 1);
    ASSERT_EQ(serial.Open(), 1);
    std::string block(999, 'x');
    for (int i = 0; i < 10; ++i) {
        ASSERT_EQ(serial.WriteText(block.c_str()), 1);
        ASSERT_EQ(line.ReadBytes(block.size()), block);
    }
    EXPECT_EQ(serial.WritePosition(), 9990u);
    ASSERT_EQ(serial.WriteText("\x02L0\tA        1\t\r\n"), 1);
    EXPECT_EQ(serial.WritePosition(), 17u);
    EXPECT_EQ(line.ReadBytes(17), "\x02L0\tA        1\t\r\n");
}
