// Wire latency of the timing path: from the moment a timer tick counts a second (the count-down's
// SetLineText), and from the moment that second began (START plus whole seconds), to the moment
// the 17th byte of its message is read at the board's end of a real pseudo-terminal; and from the
// sound's start at zero to the board's 0. Runs the real timing functions, driver and sending
// thread, with the window's precise 100 ms tick reproduced by a loop that honours the timing
// functions' restarts of it and hands the tick's place to the driver, as the main window does.
// With --free the tick keeps its own phase and the sending thread is not told about it (how the
// program ran before the two were put in phase). A pseudo-terminal has no baud rate, so the time
// the bytes spend on a real 9600 baud line (17 bytes x 10 bits = 17.7 ms) is added by
// computation.
#include "app/driverboard/TDriverBoard.h"
#include "app/timing/TTimingFunctions.h"
#include "bench/BenchLine.h"
#include "scoreboard/TScbDriver.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
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
    void RestartTick(int firstDelayMs) override {
        if (Restart)
            Restart(firstDelayMs);
    }
    std::function<void(int)> Restart;
};

// Notes when each sound starts.
class TSilence : public TSoundPlayer {
public:
    void Play(const char*) override { Started.push_back(Clock::now()); }
    std::vector<Clock::time_point> Started;
};

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double Percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

} // namespace

int main(int argc, char** argv) {
    const bool free = argc > 1 && std::strcmp(argv[1], "--free") == 0;
    const int seconds = argc > 1 + free ? std::atoi(argv[1 + free]) : 200;
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
    std::strcpy(settings.soundFile, "bell.wav");
    TTimingFunctions timing(settings, host, timed, clock, sound);

    // The window's precise timer: a tick late by less than a period leaves the next at its place;
    // the timing functions may restart it at another phase, which the driver's thread follows.
    const auto period = std::chrono::milliseconds(100);
    auto nextTick = Clock::now() + std::chrono::milliseconds(37);
    if (!free)
        host.Restart = [&](int delayMs) {
            nextTick = Clock::now() + std::chrono::milliseconds(delayMs);
            driver.AlignLooks(nextTick);
        };
    // Runs the timer until `until` or until the count stops.
    auto runTimer = [&](Clock::time_point until) {
        while (Clock::now() < until &&
               (timing.State.running || until != Clock::time_point::max())) {
            std::this_thread::sleep_until(nextTick);
            const auto now = Clock::now();
            nextTick += period;
            if (nextTick <= now)
                nextTick = now + period;
            timing.OnTimerTick();
            if (until == Clock::time_point::max() && !timing.State.running)
                break;
        }
    };
    runTimer(Clock::now() + std::chrono::milliseconds(1234));
    // START is pressed at some moment between two ticks.
    std::this_thread::sleep_for(std::chrono::milliseconds(61));
    timing.DoCommand(ControlReset);
    const auto started = Clock::now();
    timing.DoCommand(ControlStart);
    timed.Sent.clear(); // from here on, only the counted seconds
    runTimer(Clock::time_point::max());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    driver.Close();

    std::vector<double> latencies, lateness;
    Clock::time_point zeroArrived{};
    for (std::size_t k = 0; k < timed.Sent.size(); ++k) {
        const auto& [text, sent] = timed.Sent[k];
        Clock::time_point arrived;
        if (!board.ArrivalOf(text, arrived))
            continue;
        latencies.push_back(Ms(arrived - sent));
        lateness.push_back(Ms(arrived - (started + std::chrono::seconds(k + 1))));
        if (text == "        0")
            zeroArrived = arrived;
    }
    std::filesystem::remove_all(dir);
    if (latencies.empty())
        return 1;
    auto print = [](const char* what, const std::vector<double>& values) {
        std::printf("%-44s min %.1f, median %.1f, p99 %.1f, max %.1f ms\n", what,
                    *std::min_element(values.begin(), values.end()), Percentile(values, 0.5),
                    Percentile(values, 0.99), *std::max_element(values.begin(), values.end()));
    };
    std::printf("%s: counted seconds %zu, messages arrived %zu\n",
                free ? "tick and looks free-running" : "tick and looks in phase", timed.Sent.size(),
                latencies.size());
    print("counted second to last byte on the pty:", latencies);
    print("START + k s to last byte on the pty:", lateness);
    std::printf("on a 9600 baud line add %.1f ms (17 bytes x 10 bits)\n", WireFloorMs);
    if (sound.Started.size() == 1 && zeroArrived != Clock::time_point{})
        std::printf("sound start to the board's 0: %.1f ms\n", Ms(zeroArrived - sound.Started[0]));
    return latencies.size() == timed.Sent.size() ? 0 : 1;
}
