// The simulator as a program: the driver talks to it over its pseudo-terminal exactly as to a
// board, and its log shows what arrived; it removes its link when told to stop.
#include "scoreboard/TScbDriver.h"
#include "tests/support/ChildWait.h"
#include "tests/support/PtyLine.h"
#include "tests/support/WaitFor.h"

#include <chrono>
#include <csignal>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

using testline::TTempWorkDir;

using testwait::LinesOf;
using testwait::WaitFor;

TEST(BoardSimProgram, LogsWhatTheDriverSendsAndRemovesItsLinkOnSigterm) {
    TTempWorkDir dir;
    std::string log = (dir.Path / "board.log").string();
    pid_t simulator = fork();
    ASSERT_GE(simulator, 0);
    if (simulator == 0) {
        int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, STDOUT_FILENO);
        execl(BOARDSIM_PROGRAM, BOARDSIM_PROGRAM, "--headless", "--port", "7", "--dir",
              dir.Path.c_str(), "--log", log.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_TRUE(WaitFor([] { return std::filesystem::is_symlink("ports/Com7"); }));

    TScbDriver driver;
    driver.Setup(TScbDriver::BoardLineMessage, 7);
    ASSERT_EQ(driver.Open(), 1); // which blanks the board
    driver.SetLineText(1, "-00000005");
    ASSERT_TRUE(WaitFor([&] { return LinesOf(log).size() >= 10; }));
    driver.Close();

    TSerial raw;
    raw.SetLineParams(7, 9600, 8, 0, 0, 256, 10000);
    ASSERT_EQ(raw.Open(), 1);
    raw.WriteText("\x02L9\tA        1\t\r\n");
    ASSERT_TRUE(WaitFor([&] { return LinesOf(log).size() >= 11; }));
    raw.Close();

    std::vector<std::string> lines = LinesOf(log);
    ASSERT_EQ(lines.size(), 11u);
    for (int wire = 0; wire < 9; ++wire)
        EXPECT_NE(lines[wire].find(" L" + std::to_string(wire) + " |         |"), std::string::npos)
            << lines[wire];
    EXPECT_NE(lines[9].find(" L0 |A00000005|"), std::string::npos) << lines[9];
    EXPECT_NE(lines[10].find("MALFORMED line number outside 0 to 8"), std::string::npos)
        << lines[10];
    long long firstMs = std::stoll(lines[0]);
    long long lastMs = std::stoll(lines[9]);
    EXPECT_GE(lastMs, firstMs);

    ASSERT_EQ(kill(simulator, SIGTERM), 0);
    int status = 0;
    ASSERT_TRUE(testwait::WaitChild(simulator, &status));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_FALSE(std::filesystem::is_symlink("ports/Com7"));
}
