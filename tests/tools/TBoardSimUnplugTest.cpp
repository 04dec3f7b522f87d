// The simulator pulled and plugged back by its schedule, with the driver on the other end: the
// driver sees the cable go, finds the new pseudo-terminal behind the same link, and the board is
// blanked and shown the last value.
#include "scoreboard/TScbDriver.h"
#include "tests/support/ChildWait.h"
#include "tests/support/PtyLine.h"
#include "tests/support/WaitFor.h"
#include "tools/boardsim/TPtyPort.h"

#include <chrono>
#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

using testline::TTempWorkDir;
using namespace std::chrono_literals;

using testwait::LinesOf;
using testwait::WaitFor;

namespace {

TEST(BoardSimUnplug, TheDriverComesBackOnItsOwnAfterTheScheduledReplug) {
    TTempWorkDir dir;
    const std::string log = (dir.Path / "board.log").string();
    const pid_t simulator = fork();
    ASSERT_GE(simulator, 0);
    if (simulator == 0) {
        int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, STDOUT_FILENO);
        execl(BOARDSIM_PROGRAM, BOARDSIM_PROGRAM, "--headless", "--port", "4", "--dir",
              dir.Path.c_str(), "--log", log.c_str(), "--unplug-after", "0.6", "--replug-after",
              "0.8", static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_TRUE(WaitFor([] { return std::filesystem::is_symlink("ports/Com4"); }, 5000ms));

    TScbDriver driver;
    driver.SetRetryPeriod(200ms);
    driver.Setup(TScbDriver::BoardLineMessage, 4);
    ASSERT_EQ(driver.Open(), 1); // which blanks the board
    driver.SetLineText(1, "       12");
    ASSERT_TRUE(WaitFor([&] { return LinesOf(log).size() >= 10; }, 5000ms));

    ASSERT_TRUE(WaitFor([&] { return driver.GetLineStatus() == TLineStatus::Unplugged; }, 3000ms));
    EXPECT_FALSE(std::filesystem::is_symlink("ports/Com4"));
    driver.SetLineText(1, "       11"); // the count goes on while the board is away
    ASSERT_TRUE(WaitFor([&] { return driver.GetLineStatus() == TLineStatus::Working; }, 3000ms));
    ASSERT_TRUE(WaitFor([&] { return LinesOf(log).size() >= 20; }, 3000ms));
    std::this_thread::sleep_for(300ms);
    driver.Close();

    const std::vector<std::string> lines = LinesOf(log);
    ASSERT_EQ(lines.size(), 20u);
    for (int wire = 0; wire < 9; ++wire)
        EXPECT_NE(lines[10 + wire].find(" L" + std::to_string(wire) + " |         |"),
                  std::string::npos)
            << lines[10 + wire];
    EXPECT_NE(lines[19].find(" L0 |       11|"), std::string::npos) << lines[19];

    ASSERT_EQ(kill(simulator, SIGTERM), 0);
    ASSERT_TRUE(testwait::WaitChild(simulator));
}

} // namespace

// The simulator replaces only a link a killed simulator left (to a pseudo-terminal); an operator's
// link to a real port or adapter stays as it was.
TEST(BoardSimPort, ReplacesOnlyALeftoverPseudoTerminalLink) {
    TTempWorkDir dir;
    std::filesystem::create_directory("ports");
    const std::string adapter = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10KXXXX-if00-port0";
    std::filesystem::create_symlink(adapter, "ports/Com3");
    std::filesystem::create_symlink("/dev/pts/9999", "ports/Com4");

    TPtyPort taken;
    std::string error;
    EXPECT_FALSE(taken.Create(".", 3, error));
    EXPECT_NE(error.find("not a simulator's line"), std::string::npos) << error;
    EXPECT_EQ(std::filesystem::read_symlink("ports/Com3").string(), adapter);

    TPtyPort leftover;
    ASSERT_TRUE(leftover.Create(".", 4, error)) << error;
    EXPECT_EQ(std::filesystem::read_symlink("ports/Com4").string(), leftover.SlavePath());
}
