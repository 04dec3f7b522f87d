// The serial line's Windows side, under Wine, against pseudo-terminals mapped as COM ports: the
// line settings as the device sees them, a port that is not there, a cable pulled while the
// driver writes and put back, and a COM-port arrival waking the driver's watch. (The bytes of a
// Clear and of a value are checked by the scoreboard's message tests, which run here too.)
#include "scoreboard/TScbDriver.h"
#include "serial/TDeviceWatch.h"
#include "tests/support/PtyLine.h"
#include "tests/support/TestBytes.h"
#include "tests/support/WaitFor.h"

#include <atomic>
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, whose types it uses.
#include <dbt.h>

using testbytes::BlankLines;
using testbytes::LineMessage;
using testline::TPtyLine;
using testwait::WaitFor;
using namespace std::chrono_literals;

TEST(WineSerial, OpensAt9600EightNoParityOneStopRawAndNoFlowControl) {
    TPtyLine line(5);
    TScbDriver driver;
    driver.Setup(TScbDriver::BoardLineMessage, 5);
    ASSERT_EQ(driver.Open(), 1);
    EXPECT_EQ(driver.DevicePath(), "\\\\.\\COM5");
    EXPECT_EQ(line.Settings(), "9600 8 N 1 ixon=0 opost=0");
    EXPECT_EQ(line.ReadBytes(BlankLines().size()), BlankLines());
}

TEST(WineSerial, APortThatIsNotThereIsNoSuchPort) {
    TScbDriver driver;
    driver.Setup(TScbDriver::BoardLineMessage, 6); // COM6 leads nowhere
    EXPECT_EQ(driver.Open(), 0);
    EXPECT_EQ(driver.GetLineStatus(), TLineStatus::NoSuchPort);
    EXPECT_TRUE(driver.HasThread()); // and it keeps trying
}

TEST(WineSerial, PulledWhileWritingIsUnpluggedAndThePutBackLineCatchesUp) {
    auto line = std::make_unique<TPtyLine>(7);
    TScbDriver driver;
    driver.SetRetryPeriod(100ms);
    driver.Setup(TScbDriver::BoardLineMessage, 7);
    ASSERT_EQ(driver.Open(), 1);
    ASSERT_EQ(line->ReadBytes(BlankLines().size()), BlankLines());
    line->CloseMaster();
    int second = 0;
    ASSERT_TRUE(WaitFor([&] {
        driver.SetLineText(1, std::to_string(++second).c_str());
        return driver.GetLineStatus() == TLineStatus::Unplugged;
    }));
    EXPECT_FALSE(driver.IsOpen());
    driver.SetLineText(1, "       77");
    line = std::make_unique<TPtyLine>(7);
    ASSERT_TRUE(WaitFor([&] { return driver.GetLineStatus() == TLineStatus::Working; }));
    EXPECT_EQ(line->ReadUntilQuiet(300), BlankLines() + LineMessage('0', "       77"));
}

// Windows tells the watch's window of devices; a COM port's arrival tells every party at once,
// any other device nobody.
TEST(WineSerial, AComPortArrivalTellsEveryPartyAndAVolumeNobody) {
    TDeviceWatch watch;
    ASSERT_TRUE(watch.Start());
    std::atomic<int> told{0};
    const int first = watch.Add([&] { ++told; });
    watch.Add([&] { ++told; });
    HWND window = FindWindowExW(HWND_MESSAGE, nullptr, L"KadrantDeviceWatch", nullptr);
    ASSERT_NE(window, nullptr);

    DEV_BROADCAST_HDR volume{};
    volume.dbch_size = sizeof volume;
    volume.dbch_devicetype = DBT_DEVTYP_VOLUME;
    SendMessageW(window, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(&volume));
    EXPECT_EQ(told.load(), 0);

    DEV_BROADCAST_DEVICEINTERFACE_W port{};
    port.dbcc_size = sizeof port;
    port.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    SendMessageW(window, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(&port));
    EXPECT_EQ(told.load(), 2);
    watch.Remove(first);
    SendMessageW(window, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE,
                 reinterpret_cast<LPARAM>(&port));
    EXPECT_EQ(told.load(), 3);
    watch.Stop();
}
