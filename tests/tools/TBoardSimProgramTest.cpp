// The simulator as a program: the driver talks to it over its pseudo-terminal exactly as to a
// board, and its log shows what arrived; it removes its link when told to stop. And its --print
// and --replay of a log.
#include "scoreboard/TScbDriver.h"
#include "tests/support/ChildWait.h"
#include "tests/support/PtyLine.h"
#include "tests/support/WaitFor.h"
#include "tests/tools/BoardLogSamples.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

using boardlogsamples::HandMadeLog;
using boardlogsamples::WriteFile;
using testline::TTempWorkDir;

using testwait::LinesOf;
using testwait::WaitFor;

namespace {

struct TRun {
    int Status = -1;
    std::string Output;
};

TRun RunProgram(const std::string& arguments) {
    TRun run;
    // Bounded: a program that never ends fails its test (status -1) instead of hanging the suite.
    const std::string limit = std::to_string(testwait::ScaledMs(30000) / 1000);
    std::string command = "timeout -s KILL " + limit + " " + std::string(BOARDSIM_PROGRAM) + " " +
                          arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0)
        run.Output.append(chunk, n);
    int status = pclose(pipe);
    run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

} // namespace

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

TEST(BoardSimProgram, PrintsALogWithItsSummaryAndRefusesAnUnreadableOne) {
    TTempWorkDir dir;
    std::filesystem::path path = dir.Path / "board.log";
    WriteFile(path, HandMadeLog);
    TRun run = RunProgram("--print " + path.string());
    EXPECT_EQ(run.Status, 0);
    EXPECT_NE(run.Output.find("2024-05-01T10:00:08.300  L0 |    10211|\n"), std::string::npos)
        << run.Output;
    EXPECT_NE(run.Output.find("MALFORMED missing STX |L0|"), std::string::npos);
    EXPECT_NE(run.Output.find("largest gap: 7.000 s"), std::string::npos);

    TRun full = RunProgram("--print " + path.string() + " --full");
    EXPECT_EQ(full.Status, 0);
    EXPECT_NE(full.Output.find("2024-05-01T10:00:08.300  L0 |    10211|\n"
                               "  > L0 |    10211|\n"
                               "    L1 |A00000004|\n"),
              std::string::npos)
        << full.Output;

    EXPECT_EQ(RunProgram("--print " + (dir.Path / "none.log").string()).Status, 2);
    EXPECT_EQ(RunProgram("--print " + path.string() + " --port 3").Status, 2);
    EXPECT_FALSE(std::filesystem::exists("ports/Com1"));
}

TEST(BoardSimProgram, ReplaysHeadlessToTheFinalBoardWithoutAPort) {
    TTempWorkDir dir;
    std::filesystem::path path = dir.Path / "board.log";
    WriteFile(path, HandMadeLog);
    TRun run = RunProgram("--replay " + path.string() + " --headless --speed 1000");
    EXPECT_EQ(run.Status, 0) << run.Output;
    EXPECT_NE(run.Output.find("final board:\n"
                              "  > L0 |    10211|\n"
                              "    L1 |A00000004|\n"
                              "    L2 |         |\n"),
              std::string::npos)
        << run.Output;
    EXPECT_TRUE(std::filesystem::is_empty("ports"));
    EXPECT_EQ(RunProgram("--replay " + path.string() + " --speed 0").Status, 2);
}
