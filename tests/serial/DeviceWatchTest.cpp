// The device watch follows the directories an adapter's by-id name lives in whatever becomes of
// them: missing until the first adapter, removed with the last one, or replaced.
#include "serial/TDeviceWatch.h"
#include "tests/support/PtyLine.h"
#include "tests/support/WaitFor.h"

#include <atomic>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/inotify.h>

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

// A batch of raw events as the kernel hands them out: each record's name padded to `padded`.
std::string Events(std::initializer_list<std::pair<uint32_t, const char*>> records, int wd,
                   uint32_t padded = 16) {
    std::string bytes;
    for (const auto& [mask, name] : records) {
        inotify_event event{};
        event.wd = mask == IN_Q_OVERFLOW ? -1 : wd;
        event.mask = mask;
        event.len = *name ? padded : 0;
        bytes.append(reinterpret_cast<const char*>(&event), sizeof event);
        std::string field(event.len, '\0');
        field.replace(0, std::strlen(name), name);
        bytes += field;
    }
    return bytes;
}

TEST(WatchEvents, LostEventsTellEveryPartyAndANamedEntryOnlyItsOwn) {
    std::map<int, watchevents::TWanted> watched;
    watched[7].Names["by-id"] = {2};
    const std::set<int> everyone{1, 2, 3};

    // The kernel's queue overflowed: whatever each party follows, it looks again at once.
    watchevents::TVerdict lost;
    const std::string overflow = Events({{IN_Q_OVERFLOW, ""}}, 7);
    watchevents::Judge(overflow.data(), overflow.size(), watched, everyone, lost);
    EXPECT_EQ(lost.Touched, everyone);
    EXPECT_TRUE(lost.Moved);

    // An entry nobody follows, then the one party 2 follows, in one read.
    watchevents::TVerdict named;
    const std::string batch = Events({{IN_CREATE, "ttyUSB0"}, {IN_CREATE, "by-id"}}, 7);
    watchevents::Judge(batch.data(), batch.size(), watched, everyone, named);
    EXPECT_EQ(named.Touched, std::set<int>{2});
    EXPECT_TRUE(named.Moved);
}

} // namespace
