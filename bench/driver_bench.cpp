// Figures for the scoreboard driver on a real pseudo-terminal: what QueueText costs the window's
// thread, how long a message takes to reach the board (queued at any moment, and queued by a
// window tick whose place the sending thread was told), and QueueText's cost on a stalled line.
#include "bench/BenchLine.h"
#include "scoreboard/TScbDriver.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <poll.h>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {

// The board's end: a pseudo-terminal linked as ports/Com1, read on a thread of its own that
// timestamps each complete 17-byte message by the sequence number in its text.
class TBoardEnd {
public:
    TBoardEnd() {
        Arrivals.assign(MaxSequence, Clock::time_point{});
        Reader = std::thread([this] { Read(); });
    }
    ~TBoardEnd() {
        Stop = true;
        Reader.join();
    }
    void Stall(bool stalled) { tcflow(Line.Slave, stalled ? TCOOFF : TCOON); }
    Clock::time_point ArrivalOf(int sequence) {
        std::lock_guard<std::mutex> lock(Mutex);
        return Arrivals[sequence];
    }

    static constexpr int MaxSequence = 100000;

private:
    void Read() {
        std::string pending;
        while (!Stop) {
            pollfd p{Line.Master, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0)
                continue;
            char chunk[4096];
            ssize_t n = read(Line.Master, chunk, sizeof chunk);
            if (n <= 0)
                continue;
            Clock::time_point now = Clock::now();
            pending.append(chunk, static_cast<size_t>(n));
            while (pending.size() >= 17) {
                int sequence = std::atoi(pending.substr(5, 9).c_str());
                if (sequence >= 0 && sequence < MaxSequence) {
                    std::lock_guard<std::mutex> lock(Mutex);
                    Arrivals[sequence] = now;
                }
                pending.erase(0, 17);
            }
        }
    }

    TBenchLine Line;
    std::thread Reader;
    std::atomic<bool> Stop{false};
    std::mutex Mutex;
    std::vector<Clock::time_point> Arrivals;
};

double Percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    size_t at = static_cast<size_t>(p * (values.size() - 1) + 0.5);
    return values[at];
}

void Message(char (&text)[32], int sequence) {
    std::snprintf(text, sizeof text, "\x02L0\tA%9d\t\r\n", sequence);
}

// Nine messages at a time, as Clear queues them, with a pause like the window's between bursts.
std::vector<double> QueueCosts(TScbDriver& driver, int bursts, int& sequence) {
    std::vector<double> costs;
    char text[32];
    for (int burst = 0; burst < bursts; ++burst) {
        for (int i = 0; i < 9; ++i) {
            Message(text, sequence++ % TBoardEnd::MaxSequence);
            auto start = Clock::now();
            driver.QueueText(text);
            costs.push_back(std::chrono::duration<double, std::nano>(Clock::now() - start).count());
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(7));
    }
    return costs;
}

} // namespace

int main() {
    std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("kadrant-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);
    {
        TBoardEnd board;
        TScbDriver driver;
        driver.Setup(TScbDriver::BoardLineMessage, 1);
        if (driver.Open() != 1)
            return 1;
        int sequence = 0;

        std::vector<double> costs = QueueCosts(driver, 1000, sequence);
        std::printf("QueueText cost, line flowing   (%zu calls): median %.0f ns, p99 %.0f ns\n",
                    costs.size(), Percentile(costs, 0.5), Percentile(costs, 0.99));

        const int messages = 300;
        std::vector<std::pair<int, Clock::time_point>> sent;
        char text[32];
        for (int i = 0; i < messages; ++i) {
            int id = sequence++;
            Message(text, id);
            sent.emplace_back(id, Clock::now());
            driver.QueueText(text);
            // Not a divisor of the 100 ms pacing, so the messages meet every phase of it.
            std::this_thread::sleep_for(std::chrono::milliseconds(37));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        std::vector<double> delays;
        int lost = 0;
        for (auto& [id, queued] : sent) {
            Clock::time_point arrived = board.ArrivalOf(id);
            if (arrived == Clock::time_point{}) {
                ++lost;
                continue;
            }
            delays.push_back(std::chrono::duration<double, std::milli>(arrived - queued).count());
        }
        std::printf("QueueText to arrival (%zu messages, %d lost): median %.1f ms, p99 %.1f ms, "
                    "max %.1f ms\n",
                    delays.size(), lost, Percentile(delays, 0.5), Percentile(delays, 0.99),
                    *std::max_element(delays.begin(), delays.end()));

        // As the window's tick queues a counted second: at the tick's places, which the thread
        // knows, once a second.
        const auto tick = Clock::now() + std::chrono::milliseconds(23);
        driver.AlignLooks(tick);
        std::vector<std::pair<int, Clock::time_point>> ticked;
        for (int i = 0; i < 60; ++i) {
            std::this_thread::sleep_until(tick + std::chrono::milliseconds(1000 * (i + 1)));
            int id = sequence++;
            Message(text, id);
            ticked.emplace_back(id, Clock::now());
            driver.QueueText(text);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        std::vector<double> tickDelays;
        for (auto& [id, queued] : ticked) {
            Clock::time_point arrived = board.ArrivalOf(id);
            if (arrived != Clock::time_point{})
                tickDelays.push_back(
                    std::chrono::duration<double, std::milli>(arrived - queued).count());
        }
        if (!tickDelays.empty())
            std::printf("QueueText at a known tick to arrival (%zu of %zu): median %.1f ms, "
                        "p99 %.1f ms, max %.1f ms\n",
                        tickDelays.size(), ticked.size(), Percentile(tickDelays, 0.5),
                        Percentile(tickDelays, 0.99),
                        *std::max_element(tickDelays.begin(), tickDelays.end()));

        board.Stall(true);
        std::vector<double> stalled = QueueCosts(driver, 1000, sequence);
        std::printf("QueueText cost, line stalled   (%zu calls): median %.0f ns, p99 %.0f ns\n",
                    stalled.size(), Percentile(stalled, 0.5), Percentile(stalled, 0.99));
        board.Stall(false);
        auto start = Clock::now();
        driver.Close();
        std::printf("Close after the stall: %.1f ms\n",
                    std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::filesystem::current_path("/");
    std::filesystem::remove_all(dir);
    return 0;
}
