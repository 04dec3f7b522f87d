// The board on a TV over a long count: starts `kadrant-boardsim --fullscreen` on Com1 of a fresh
// directory, drives it through the real driver with a count-up of one value per second (as the
// program sends it), and prints the board's CPU time and peak memory over the run.
//   tvboard_bench SIMULATOR [seconds] [first value]
// Run it under an X server.
#include "scoreboard/TScbDriver.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

long long CpuTicks(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string all((std::istreambuf_iterator<char>(in)), {});
    std::istringstream fields(all.substr(all.rfind(')') + 2));
    std::string field;
    long long utime = 0, stime = 0;
    for (int i = 3; fields >> field; ++i) {
        if (i == 14)
            utime = std::stoll(field);
        if (i == 15) {
            stime = std::stoll(field);
            break;
        }
    }
    return utime + stime;
}

long PeakRssKib(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: tvboard_bench SIMULATOR [seconds] [first value]\n");
        return 2;
    }
    std::string simulator = std::filesystem::absolute(argv[1]).string();
    int seconds = argc > 2 ? std::atoi(argv[2]) : 600;
    int first = argc > 3 ? std::atoi(argv[3]) : 0;

    char pattern[] = "/tmp/kadrant-tvbench-XXXXXX";
    if (!mkdtemp(pattern))
        return 1;
    std::filesystem::path dir = pattern;
    std::filesystem::current_path(dir);
    pid_t board = fork();
    if (board == 0) {
        execl(simulator.c_str(), simulator.c_str(), "--fullscreen", "--port", "1", "--dir",
              dir.c_str(), "--log", (dir / "board.log").c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    for (int i = 0; i < 100 && !std::filesystem::is_symlink("ports/Com1"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    TScbDriver driver;
    driver.Setup(TScbDriver::BoardLineMessage, 1);
    if (!driver.Open()) {
        std::fprintf(stderr, "tvboard_bench: cannot open Com1\n");
        kill(board, SIGTERM);
        return 1;
    }
    // Start-up (fonts, first full paint) is not part of the running figure.
    std::this_thread::sleep_for(std::chrono::seconds(2));

    long long ticksBefore = CpuTicks(board);
    Clock::time_point start = Clock::now();
    for (int value = 0; value <= seconds; ++value) {
        char text[16];
        std::snprintf(text, sizeof text, "%9d", first + value);
        driver.SetLineText(1, text);
        std::this_thread::sleep_until(start + std::chrono::seconds(value + 1));
    }
    double wall = std::chrono::duration<double>(Clock::now() - start).count();
    double cpu = double(CpuTicks(board) - ticksBefore) / double(sysconf(_SC_CLK_TCK));
    long rss = PeakRssKib(board);

    std::printf("count: %d values, one per second, over %.1f s\n", seconds + 1, wall);
    std::printf("board CPU: %.2f s = %.3f %% of one core\n", cpu, 100.0 * cpu / wall);
    std::printf("board peak RSS: %.1f MiB\n", rss / 1024.0);
    driver.Close();
    kill(board, SIGTERM);
    int status = 0;
    waitpid(board, &status, 0);
    bool linkGone = !std::filesystem::is_symlink(dir / "ports" / "Com1");
    std::printf("link removed on SIGTERM: %s\n", linkGone ? "yes" : "NO");
    std::filesystem::current_path("/");
    std::filesystem::remove_all(dir);
    return linkGone ? 0 : 1;
}
