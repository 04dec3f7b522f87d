// The real program killed in the middle of a count and started again in the same directory: after
// SIGKILL the count is taken back as if it had never stopped (or stopped at zero if it ran out
// meanwhile); after a stop signal, a clean close, the next start is an ordinary one.
#include "app/settings/SettingsRecord.h"
#include "tests/support/PtyLine.h"
#include "tests/support/TestBytes.h"
#include "tests/support/WaitFor.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono;

// One command on the control socket and its answer line, or empty.
std::string Ask(const std::string& command) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{AF_UNIX, "kadrant.sock"};
    const timeval limit{3, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    std::string answer;
    char bytes[512];
    ssize_t got = 0;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::send(fd, (command + "\n").c_str(), command.size() + 1, MSG_NOSIGNAL) > 0)
        while (answer.find('\n') == std::string::npos && (got = ::recv(fd, bytes, 512, 0)) > 0)
            answer.append(bytes, size_t(got));
    ::close(fd);
    return answer;
}

enum class TAfter { GoesOn, StoppedAtZero, Ordinary };

struct TEnd {
    const char* Name;
    int Signal;
    int32_t Function, StartNumber; // of "Secondes"
    TAfter After;
};

class RunResumeProgram : public ::testing::TestWithParam<TEnd> {
protected:
    ~RunResumeProgram() override {
        if (Child > 0 && ::kill(Child, SIGKILL) == 0)
            ::waitpid(Child, nullptr, 0);
    }

    // The program on the offscreen platform, its stderr kept; true once its socket answers.
    bool Start() {
        if ((Child = ::fork()) == 0) {
            ::dup2(::open("stderr.txt", O_WRONLY | O_CREAT | O_APPEND, 0644), STDERR_FILENO);
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
            ::execl(KADRANT_PROGRAM, KADRANT_PROGRAM, nullptr);
            ::_exit(127);
        }
        return testwait::WaitFor([] { return !Ask("state").empty(); },
                                 seconds(15 * KADRANT_TIME_SCALE));
    }

    // The digital display's value (-1 when blank) and whether the function runs.
    static std::pair<int, bool> Shown() {
        const std::string state = Ask("state");
        const std::size_t at = state.find("\"line1\":\"");
        const std::string text = at == std::string::npos ? "" : state.substr(at + 9, 9);
        const bool blank = text.find_first_not_of(' ') == std::string::npos;
        return {blank ? -1 : std::stoi(text), state.find("\"running\":true") != std::string::npos};
    }

    testline::TTempWorkDir Dir;
    pid_t Child = -1;
};

TEST_P(RunResumeProgram, TakesTheCountBackOnlyAfterAnUncleanEnd) {
    const TEnd& c = GetParam();
    TSettingsRecord record{}; // no port: the display alone shows the count
    record.functionCode = c.Function;
    record.displayType = DisplaySeconds;
    record.startNumber = record.initialNumber = c.StartNumber;
    std::ofstream("config.dat").write(reinterpret_cast<const char*>(&record), sizeof record);

    ASSERT_TRUE(Start());
    ASSERT_EQ(Ask("reset"), "ok\n");
    ASSERT_EQ(Ask("start"), "ok\n");
    std::this_thread::sleep_for(milliseconds(1500));
    const auto [before, running] = Shown();
    const auto stopped = steady_clock::now();
    ASSERT_TRUE(running);
    ASSERT_EQ(::kill(Child, c.Signal), 0);
    ASSERT_EQ(::waitpid(Child, nullptr, 0), Child);

    ASSERT_TRUE(Start());
    const auto [after, runningAfter] = Shown();
    const double off = duration<double>(steady_clock::now() - stopped).count();
    const std::string said = testbytes::ReadFile("stderr.txt");
    EXPECT_EQ(runningAfter, c.After == TAfter::GoesOn) << said;
    EXPECT_EQ(said.find("resumed after an unexpected stop at ") != std::string::npos,
              c.After != TAfter::Ordinary)
        << said;
    if (c.After == TAfter::GoesOn) {
        EXPECT_NEAR(after, before + off, 1.2) << "off for " << off << " s";
    }
    if (c.After == TAfter::StoppedAtZero) {
        EXPECT_EQ(after, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Ends, RunResumeProgram,
    ::testing::Values(TEnd{"CountUpKilled", SIGKILL, 1, 0, TAfter::GoesOn},
                      TEnd{"CountDownKilledRunsOutWhileOff", SIGKILL, 2, 3, TAfter::StoppedAtZero},
                      TEnd{"CountUpClosedCleanly", SIGTERM, 1, 0, TAfter::Ordinary}),
    [](const ::testing::TestParamInfo<TEnd>& end) { return std::string(end.param.Name); });

} // namespace
