// Wire latency of the timing path: from the moment a timer tick counts a second (the count-down's
// SetLineText) to the moment the 17th byte of its message is read at the board's end of a real
// pseudo-terminal. Runs the real timing functions, driver and sending thread, with the window's
// 100 ms tick reproduced by a fixed-rate loop. A pseudo-terminal has no baud rate, so the time the
// bytes spend on a real 9600 baud line (17 bytes x 10 bits = 17.7 ms) is added by computation.
#include "app/TDriverBoard.h"
#include "app/TTimingFunctions.h"
#include "bench/BenchLine.h"
#include "scoreboard/TScbDriver.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <mutex>
#include <poll.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {

constexpr double WireFloorMs = 17 * 10 * 1000.0 / 9600;

class TBoardEnd {
public:
    TBoardEnd() {
        Reader = std::thread([this] { Read(); });
    }
    ~TBoardEnd() {
        Stop = true;
        Reader.join();
    }
    // Arrival of the last message carrying this nine-character text.
    bool ArrivalOf(const std::string& text, Clock::time_point& when) {
        std::lock_guard<std::mutex> lock(Mutex);
        auto found = Arrivals.find(text);
        if (found == Arrivals.end())
            return false;
        when = found->second;
        return true;
    }

private:
    void Read() {
        std::string pending;
        while (!Stop) {
            pollfd p{Line.Master, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0)
                continue;
            char bytes[512];
            const ssize_t n = read(Line.Master, bytes, sizeof bytes);
            if (n <= 0)
                continue;
            const auto now = Clock::now();
            pending.append(bytes, static_cast<std::size_t>(n));
            while (pending.size() >= 17) {
                std::lock_guard<std::mutex> lock(Mutex);
                Arrivals[pending.substr(5, 9)] = now;
                pending.erase(0, 17);
            }
        }
    }

    TBenchLine Line;
    std::atomic<bool> Stop = false;
    std::thread Reader;
    std::mutex Mutex;
    std::map<std::string, Clock::time_point> Arrivals;
};

// Timestamps each text the timing functions hand to the driver.
class TTimedBoard : public TBoard {
public:
    explicit TTimedBoard(TBoard& board) : Board(board) {}
    void SetLineText(int line, const char* text) override {
        Sent.emplace_back(text, Clock::now());
        Board.SetLineText(line, text);
    }
    void Clear() override { Board.Clear(); }
    std::vector<std::pair<std::string, Clock::time_point>> Sent;

private:
    TBoard& Board;
};

class TQuietHost : public TTimingHost {
public:
    bool Updating() const override { return false; }
    void TransferFromControls() override {}
    void UpdateControlStates() override {}
    void FocusControl(int) override {}
    void SetDisplayValue(int32_t, bool, bool) override {}
};

class TSilence : public TSoundPlayer {
public:
    void Play(const char*) override {}
};

double Percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 200;
    char dir[] = "/tmp/kadrant-wire-XXXXXX";
    if (!mkdtemp(dir) || chdir(dir) != 0)
        return 1;
    TBoardEnd board;
    TScbDriver driver;
    driver.Setup(TScbDriver::BoardLineMessage, 1);
    if (driver.Open() != 1)
        return 1;
    TDriverBoard driverBoard(driver);
    TTimedBoard timed(driverBoard);
    TQuietHost host;
    TSystemClock clock;
    TSilence sound;
    TSettingsRecord settings{};
    settings.functionCode = FunctionCountDown;
    settings.displayType = DisplaySeconds;
    settings.startNumber = seconds;
    TTimingFunctions timing(settings, host, timed, clock, sound);
    timing.DoCommand(ControlReset);
    timing.DoCommand(ControlStart);
    timed.Sent.clear(); // from here on, only the counted seconds

    auto tick = Clock::now();
    while (timing.State.running) {
        tick += std::chrono::milliseconds(100);
        std::this_thread::sleep_until(tick);
        timing.OnTimerTick();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    driver.Close();

    std::vector<double> latencies;
    for (const auto& [text, sent] : timed.Sent) {
        Clock::time_point arrived;
        if (board.ArrivalOf(text, arrived))
            latencies.push_back(std::chrono::duration<double, std::milli>(arrived - sent).count());
    }
    std::filesystem::remove_all(dir);
    if (latencies.empty())
        return 1;
    std::printf("counted seconds: %zu, messages arrived: %zu\n", timed.Sent.size(),
                latencies.size());
    std::printf(
        "counted second to last byte on the pty: median %.1f ms, p99 %.1f ms, max %.1f ms\n",
        Percentile(latencies, 0.5), Percentile(latencies, 0.99),
        *std::max_element(latencies.begin(), latencies.end()));
    std::printf(
        "on a 9600 baud line add %.1f ms (17 bytes x 10 bits): median %.1f ms, max %.1f ms\n",
        WireFloorMs, Percentile(latencies, 0.5) + WireFloorMs,
        *std::max_element(latencies.begin(), latencies.end()) + WireFloorMs);
    return latencies.size() == timed.Sent.size() ? 0 : 1;
}
