// The device watch follows the directories an adapter's by-id name lives in whatever becomes of
// them: missing until the first adapter, removed with the last one, or replaced.
#include "serial/TDeviceWatch.h"
#include "tests/support/PtyLine.h"
#include "tests/support/WaitFor.h"

#include <atomic>
#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using testline::TTempWorkDir;
using testwait::WaitFor;

namespace {

struct TDirChange {
    const char* name;
    bool existsBefore; // dev/serial/by-id
    void (*change)();  // leaves dev/serial/by-id there, empty
};

class DeviceWatchDirs : public testing::TestWithParam<TDirChange> {};

TEST_P(DeviceWatchDirs, ANewEntryIsToldAfterTheDirectoryChanged) {
    TTempWorkDir dir;
    fs::create_directory("dev");
    if (GetParam().existsBefore)
        fs::create_directories("dev/serial/by-id");
    TDeviceWatch watch;
    ASSERT_TRUE(watch.Start());
    std::atomic<int> told{0};
    const int id = watch.Add([&] { ++told; });
    watch.Follow(id, {}, {"dev/serial/by-id"});
    GetParam().change();
    ASSERT_TRUE(WaitFor([&] { return told > 0; }, std::chrono::seconds(2)));
    told = 0;
    fs::create_symlink("../../ttyUSB0", "dev/serial/by-id/usb-FTDI_A-if00-port0");
    EXPECT_TRUE(WaitFor([&] { return told > 0; }, std::chrono::seconds(2)));
    watch.Remove(id);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, DeviceWatchDirs,
    testing::Values(TDirChange{"MissingUntilTheFirstAdapter", false,
                               [] { fs::create_directories("dev/serial/by-id"); }},
                    TDirChange{"RemovedAndMadeAgain", true,
                               [] {
                                   fs::remove_all("dev/serial");
                                   fs::create_directories("dev/serial/by-id");
                               }},
                    TDirChange{"ReplacedByRename", true,
                               [] {
                                   fs::create_directory("dev/serial/by-id.new");
                                   fs::rename("dev/serial/by-id.new", "dev/serial/by-id");
                               }}),
    [](const auto& c) { return std::string(c.param.name); });

} // namespace
