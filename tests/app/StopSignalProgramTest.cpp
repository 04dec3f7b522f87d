// A stop signal ends the real program within a second whatever is on screen (the splash, the
// range message, the file dialog), closing it as a window close would: the record is saved. Should
// something still hold the program after that, the last-resort end stops it all the same.
#include "tests/support/ChildWait.h"
#include "tests/support/TestBytes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace std::chrono;

struct TScene {
    const char* Name;
    int32_t FunctionCode; // as saved at the stop
    int32_t InitialNumber;
    int ExitStatus = 0; // 128 + SIGTERM: ended by the last resort
};

class StopSignalProgram : public ::testing::TestWithParam<TScene> {
protected:
    ~StopSignalProgram() override {
        testwait::KillChild(Child);
        std::filesystem::remove_all(Dir);
    }

    // Runs the probe in its own directory (no config.dat: a first start) until it reports the
    // scene on screen.
    bool StartScene(const char* scene) {
        int out[2];
        if (::mkdtemp(Dir.data()) == nullptr || ::pipe(out) != 0)
            return false;
        Child = ::fork();
        if (Child == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            if (::chdir(Dir.c_str()) == 0 && ::setenv("QT_QPA_PLATFORM", "offscreen", 1) == 0)
                ::execl(STOP_PROBE_PROGRAM, STOP_PROBE_PROGRAM, scene, nullptr);
            ::_exit(127);
        }
        ::close(out[1]);
        FILE* output = ::fdopen(out[0], "r");
        char line[64] = "";
        const bool ready =
            output && std::fgets(line, sizeof line, output) && std::string(line) == "ready\n";
        if (output)
            std::fclose(output);
        return ready;
    }

    std::string Dir = "/tmp/kadrant-stop-XXXXXX";
    pid_t Child = -1;
};

TEST_P(StopSignalProgram, EndsWithinASecondAndSavesTheRecord) {
    ASSERT_TRUE(StartScene(GetParam().Name));
    const auto sent = steady_clock::now();
    ASSERT_EQ(::kill(Child, SIGTERM), 0);
    int status = 0;
    // A second in a plain build; sanitizer builds run slower. The last resort waits most of it.
    const auto limit = milliseconds((GetParam().ExitStatus ? 1500 : 1000) * KADRANT_TIME_SCALE);
    while (::waitpid(Child, &status, WNOHANG) != Child && steady_clock::now() - sent < 2 * limit)
        ::usleep(5000);
    const auto took = duration_cast<milliseconds>(steady_clock::now() - sent);
    ASSERT_LT(took, limit) << "still running " << took.count() << " ms after SIGTERM";
    Child = -1;
    // Ended by its own close, not by the last-resort timer, unless something held it.
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == GetParam().ExitStatus)
        << "status " << status;

    const std::string bytes = testbytes::ReadFile((Dir + "/config.dat").c_str());
    ASSERT_EQ(bytes.size(), 596u);
    EXPECT_EQ(testbytes::Int32At(bytes, 0), 44); // the placement written at close
    EXPECT_EQ(testbytes::Int32At(bytes, 52), GetParam().FunctionCode);
    EXPECT_EQ(testbytes::Int32At(bytes, 76), GetParam().InitialNumber);
}

INSTANTIATE_TEST_SUITE_P(Scenes, StopSignalProgram,
                         ::testing::Values(TScene{"splash", 1, 0}, TScene{"range", 4, 1000000000},
                                           TScene{"browse", 1, 0},
                                           TScene{"hold", 1, 0, 128 + SIGTERM}),
                         [](const ::testing::TestParamInfo<TScene>& scene) {
                             return std::string(scene.param.Name);
                         });

} // namespace
