// The program's own threads: the worker that numbers adapters (signals coalesced, never lost),
// the device watch that only signals it, and the stop's last resort, which fires only when
// nothing ends the program within the grace.
#include "app/window/TLastResort.h"
#include "app/window/TPortsWatch.h"
#include "app/window/TSignalledWorker.h"
#include "serial/TDeviceWatch.h"
#include "tests/support/FakeSerialTree.h"
#include "tests/support/WaitFor.h"

#include <QTest>
#include <algorithm>
#include <atomic>
#include <future>
#include <gtest/gtest.h>
#include <thread>

using namespace std::chrono;
using testwait::Scaled;
using testwait::WaitFor;

namespace {

TEST(SignalledWorker, ABurstIsOnePassAndASignalDuringAPassGivesOneMore) {
    std::promise<void> gate;
    const std::shared_future<void> opened = gate.get_future().share();
    std::atomic<int> started{0}, finished{0};
    TSignalledWorker worker;
    worker.SetJob([&] {
        if (++started == 1)
            opened.wait(); // the first pass is held until the burst has come
        ++finished;
    });
    worker.Start();

    worker.Signal();
    ASSERT_TRUE(WaitFor([&] { return started == 1; }));
    for (int i = 0; i < 100; ++i)
        worker.Signal();
    gate.set_value();
    ASSERT_TRUE(WaitFor([&] { return finished >= 2; })) << "the burst during the pass was lost";
    // Once that pass is over, nothing is waiting: one more signal, one more pass, and no more.
    worker.Signal();
    ASSERT_TRUE(WaitFor([&] { return finished >= 3; }));
    worker.Stop();
    EXPECT_EQ(finished, 3);
}

// The watch's thread only signals: with the numbering's worker not yet running, a plug is told to
// every party and nothing is numbered; the worker, once started, numbers it and the window hears.
TEST(PortsWatch, TheWatchOnlySignalsAndTheNumberingRunsOnItsWorker) {
    const std::string adapter = "usb-FTDI_FT232R_USB_UART_A10KAAAA-if00-port0";
    fakeserial::TFakeSerialTree tree;
    TDeviceWatch watch;
    ASSERT_TRUE(watch.Start());
    TSignalledWorker numbering;
    std::vector<serialports::TComPort> shown;
    TPortsWatch ports(watch, numbering, tree.Roots,
                      [&](const TPortsWatch::TPorts& described) { shown = described; });
    // Told after the ports' party, on the same thread, in the same batch.
    std::atomic<bool> told{false};
    const int later = watch.Add([&] { told = true; });
    watch.Follow(later, {}, {tree.Roots.ById});

    tree.Plug(adapter, "ttyUSB0");
    ASSERT_TRUE(WaitFor([&] { return told.load(); }));
    EXPECT_EQ(fakeserial::LinkOf(tree.Port(3)), "") << "numbered on the watch's thread";

    numbering.Start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !shown.empty(); }, testwait::ScaledMs(5000)));
    EXPECT_EQ(fakeserial::LinkOf(tree.Port(3)), tree.ById(adapter));
    const auto com3 =
        std::find_if(shown.begin(), shown.end(),
                     [](const serialports::TComPort& port) { return port.Number == 3; });
    ASSERT_NE(com3, shown.end());
    EXPECT_TRUE(com3->Present);
    watch.Remove(later);
}

TEST(LastResort, FiresWhenNothingEndsTheProgramWithinTheGrace) {
    std::atomic<bool> fired{false};
    TLastResort last([&] { fired = true; });
    last.Start(milliseconds(20));
    EXPECT_TRUE(WaitFor([&] { return fired.load(); }));
}

TEST(LastResort, TheNormalEndWakesItAtOnceAndItNeverFires) {
    std::atomic<bool> fired{false};
    TLastResort last([&] { fired = true; });
    const auto grace = Scaled(seconds(5));
    last.Start(grace);
    // Not needed to pass: it lets the thread reach its wait, so that the wake-up is what ends it.
    std::this_thread::sleep_for(milliseconds(50));
    const auto begun = steady_clock::now();
    last.End();
    EXPECT_LT(steady_clock::now() - begun, grace / 2) << "the end waited out the grace";
    EXPECT_FALSE(fired);
}

} // namespace
