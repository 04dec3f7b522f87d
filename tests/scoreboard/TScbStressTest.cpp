// One producer and the sending thread at full speed on a real line: run under ThreadSanitizer
// (scripts/tsan-stress.sh) this shows the queue's position steps and byte hand-over are race-free.
#include "scoreboard/TScbDriver.h"
#include "tests/support/PtyLine.h"

#include <atomic>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <thread>

using testline::TPtyLine;
using testline::TTempWorkDir;

namespace {

// The sending thread without its pause between looks, to meet the producer as often as possible.
class TBusyDriver : public TScbDriver {
public:
    void SetPacing(int ms) { PacingPeriod = ms; }
};

} // namespace

TEST(QueueStress, ProducerAndSendingThreadKeepEveryMessageWholeAndInOrder) {
    TTempWorkDir dir;
    TPtyLine line(1);
    TBusyDriver driver;
    driver.Setup(TScbDriver::BoardLineMessage, 1);
    driver.SetPacing(0);
    ASSERT_EQ(driver.Open(), 1);
    ASSERT_EQ(line.ReadBytes(9 * 17).size(), 9u * 17); // the opening's catch-up

    std::atomic<bool> producing{true};
    std::string received;
    std::thread reader([&] {
        for (;;) {
            std::string chunk = line.ReadUntilQuiet(200, 2000);
            if (chunk.empty() && !producing.load())
                break;
            received += chunk;
        }
    });

    const int messages = 50000;
    for (int n = 0; n < messages; ++n) {
        char text[16];
        std::snprintf(text, sizeof text, "%9d", n);
        driver.SetLineText(1 + n % 9, text);
        if (n % 64 == 0)
            std::this_thread::yield();
    }
    producing.store(false);
    reader.join();
    driver.Close();

    ASSERT_GT(received.size(), 0u);
    ASSERT_EQ(received.size() % 17, 0u);
    long previous = -1;
    for (size_t at = 0; at < received.size(); at += 17) {
        std::string message = received.substr(at, 17);
        ASSERT_EQ(message[0], '\x02') << at;
        ASSERT_EQ(message.substr(14), "\t\r\n") << at;
        long n = std::strtol(message.substr(5, 9).c_str(), nullptr, 10);
        ASSERT_GT(n, previous) << at;
        ASSERT_EQ(message[2], static_cast<char>('0' + n % 9));
        previous = n;
    }
}
