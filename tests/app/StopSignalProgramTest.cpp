// A stop signal ends the real program within a second whatever is on screen (the splash, the
// range message, the file dialog), closing it as a window close would: the record is saved.
#include "tests/support/TestBytes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using testbytes::Int32At;
using testbytes::ReadFile;

struct TScene {
    const char* Name;
    int32_t FunctionCode; // as saved at the stop
    int32_t InitialNumber;
};

class StopSignalProgram : public ::testing::TestWithParam<TScene> {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kadrant-stop-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        Dir = pattern;
    }
    void TearDown() override {
        if (Child > 0) {
            ::kill(Child, SIGKILL);
            ::waitpid(Child, nullptr, 0);
        }
        std::filesystem::remove_all(Dir);
    }

    // Starts the probe in its own directory (no config.dat: a first start) and waits until it
    // reports the scene on screen.
    bool StartScene(const char* scene) {
        int out[2];
        if (::pipe(out) != 0)
            return false;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        posix_spawn_file_actions_addchdir_np(&actions, Dir.c_str());
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        char* argv[] = {const_cast<char*>(STOP_PROBE_PROGRAM), const_cast<char*>(scene), nullptr};
        const int spawned =
            ::posix_spawn(&Child, STOP_PROBE_PROGRAM, &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        std::string seen;
        const auto deadline = Clock::now() + std::chrono::seconds(15);
        while (spawned == 0 && seen.find("ready") == std::string::npos && Clock::now() < deadline) {
            pollfd readable{out[0], POLLIN, 0};
            char bytes[64];
            if (::poll(&readable, 1, 100) > 0) {
                const ssize_t got = ::read(out[0], bytes, sizeof bytes);
                if (got <= 0)
                    break;
                seen.append(bytes, static_cast<std::size_t>(got));
            }
        }
        ::close(out[0]);
        return seen.find("ready") != std::string::npos;
    }

    // Sends SIGTERM and waits for the end; the time it took, or none if it did not end.
    std::optional<std::chrono::milliseconds> StopAndWait(int& status) {
        const auto sent = Clock::now();
        ::kill(Child, SIGTERM);
        while (Clock::now() - sent < std::chrono::seconds(5)) {
            if (::waitpid(Child, &status, WNOHANG) == Child) {
                Child = -1;
                return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - sent);
            }
            ::usleep(5000);
        }
        return std::nullopt;
    }

    std::filesystem::path Dir;
    pid_t Child = -1;
};

TEST_P(StopSignalProgram, EndsWithinASecondAndSavesTheRecord) {
    ASSERT_TRUE(StartScene(GetParam().Name));
    int status = 0;
    const auto took = StopAndWait(status);
    ASSERT_TRUE(took.has_value()) << "still running 5 s after SIGTERM";
    EXPECT_LT(took->count(), 1000);
    // Ended by its own close, not by the last-resort timer.
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;

    const std::string bytes = ReadFile((Dir / "config.dat").c_str());
    ASSERT_EQ(bytes.size(), 596u);
    EXPECT_EQ(Int32At(bytes, 0), 44); // the placement written at close
    EXPECT_EQ(Int32At(bytes, 52), GetParam().FunctionCode);
    EXPECT_EQ(Int32At(bytes, 76), GetParam().InitialNumber);
}

INSTANTIATE_TEST_SUITE_P(Scenes, StopSignalProgram,
                         ::testing::Values(TScene{"splash", 1, 0}, TScene{"range", 4, 1000000000},
                                           TScene{"browse", 1, 0}),
                         [](const ::testing::TestParamInfo<TScene>& info) {
                             return std::string(info.param.Name);
                         });

} // namespace
