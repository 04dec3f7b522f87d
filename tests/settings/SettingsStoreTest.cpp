// Loading, re-reading and saving "config.dat" on real files.
#include "app/settings/SettingsStore.h"
#include "tests/settings/SettingsFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <unistd.h>

namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
    std::string ConfigPath() const { return dir_.Path("config.dat").string(); }
    void Load() { LoadSettings(file_, record_, ConfigPath().c_str()); }
    TBytes RecordBytes() const {
        const auto* bytes = reinterpret_cast<const uint8_t*>(&record_);
        return TBytes(bytes, bytes + sizeof record_);
    }
    static TPlacementValues MovedTo(int32_t left, int32_t top) {
        TPlacementValues placement;
        placement.showState = ShowNormal;
        placement.minimizedX = -1;
        placement.minimizedY = -2;
        placement.maximizedX = -8;
        placement.maximizedY = -9;
        placement.left = left;
        placement.top = top;
        placement.right = left + 320;
        placement.bottom = top + 250;
        return placement;
    }
    // A full record whose soundFile holds a terminated path.
    static TBytes FullRecordBytes(std::size_t size = SettingsRecordSize) {
        TBytes bytes = PatternBytes(size);
        bytes[84 + 20] = 0;
        return bytes;
    }

    TTempDir dir_;
    TSFile file_;
    TSettingsRecord record_{};
};

TEST_F(SettingsStoreTest, FirstStartCreatesTheRecordWithFirstRunValues) {
    Load();
    const TBytes bytes = ReadBytes(ConfigPath());
    ASSERT_EQ(596u, bytes.size());
    TBytes expected(596, 0);
    PutInt32(expected, 28, 100);
    PutInt32(expected, 32, 75);
    for (std::size_t offset : {44u, 48u, 52u, 56u})
        PutInt32(expected, offset, 1);
    EXPECT_EQ(expected, bytes); // the placement length stays 0 until the first close
    EXPECT_EQ(expected, RecordBytes());
    EXPECT_TRUE(file_.IsOpen()); // open for the whole run
}

TEST_F(SettingsStoreTest, UsesConfigDatInTheCurrentDirectory) {
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir_.Path());
    LoadSettings(file_, record_);
    SaveSettings(file_, record_, MovedTo(5, 6));
    std::filesystem::current_path(previous);
    EXPECT_EQ(596u, ReadBytes(ConfigPath()).size());
    EXPECT_EQ(FunctionCountUp, record_.functionCode);
}

TEST_F(SettingsStoreTest, SaveAfterAMoveStoresThePlacementAndTheSettings) {
    Load();
    record_.functionCode = FunctionLapCounter;
    record_.lapNumber = 12;
    SaveSettings(file_, record_, MovedTo(200, 150));
    EXPECT_FALSE(file_.IsOpen());

    const TBytes bytes = ReadBytes(ConfigPath());
    ASSERT_EQ(596u, bytes.size());
    EXPECT_EQ(44, Int32At(bytes, 0));
    EXPECT_EQ(0, Int32At(bytes, 4));
    EXPECT_EQ(ShowNormal, Int32At(bytes, 8));
    EXPECT_EQ(-1, Int32At(bytes, 12));
    EXPECT_EQ(-2, Int32At(bytes, 16));
    EXPECT_EQ(-8, Int32At(bytes, 20));
    EXPECT_EQ(-9, Int32At(bytes, 24));
    EXPECT_EQ(200, Int32At(bytes, 28));
    EXPECT_EQ(150, Int32At(bytes, 32));
    EXPECT_EQ(520, Int32At(bytes, 36));
    EXPECT_EQ(400, Int32At(bytes, 40));
    EXPECT_EQ(FunctionLapCounter, Int32At(bytes, 52));
    EXPECT_EQ(12, Int32At(bytes, 72));

    TSFile nextRun;
    TSettingsRecord nextRecord{};
    LoadSettings(nextRun, nextRecord, ConfigPath().c_str());
    EXPECT_EQ(200, nextRecord.placement.normalPosition[0]);
    EXPECT_EQ(150, nextRecord.placement.normalPosition[1]);
    EXPECT_EQ(FunctionLapCounter, nextRecord.functionCode);
}

TEST_F(SettingsStoreTest, ShortFileFillsTheStartAndGrowsToFullSizeAtClose) {
    const TBytes content = PatternBytes(100);
    WriteBytes(ConfigPath(), content);
    std::memset(&record_, 0xFF, sizeof record_); // whatever was in memory must not show
    Load();

    TBytes expected(596, 0);
    std::copy(content.begin(), content.end(), expected.begin());
    EXPECT_EQ(expected, RecordBytes());
    EXPECT_EQ(Int32At(content, 44), record_.portCode);
    EXPECT_EQ(0, std::memcmp(&content[84], record_.soundFile, 16));
    EXPECT_EQ(0, record_.soundFile[16]);

    SaveSettings(file_, record_, MovedTo(10, 20));
    const TBytes bytes = ReadBytes(ConfigPath());
    ASSERT_EQ(596u, bytes.size());
    EXPECT_TRUE(std::equal(content.begin() + 44, content.end(), bytes.begin() + 44));
    EXPECT_TRUE(std::all_of(bytes.begin() + 100, bytes.end(), [](uint8_t b) { return b == 0; }));
}

TEST_F(SettingsStoreTest, LongerFileKeepsItsBytesPast596) {
    const TBytes content = FullRecordBytes(1000);
    WriteBytes(ConfigPath(), content);
    Load();
    EXPECT_TRUE(std::equal(content.begin(), content.begin() + 596, RecordBytes().begin()));

    SaveSettings(file_, record_, MovedTo(10, 20));
    const TBytes bytes = ReadBytes(ConfigPath());
    ASSERT_EQ(1000u, bytes.size());
    EXPECT_TRUE(std::equal(content.begin() + 44, content.end(), bytes.begin() + 44));
}

TEST_F(SettingsStoreTest, ZeroLengthFileReadsAsAllZeros) {
    WriteBytes(ConfigPath(), {});
    Load();
    EXPECT_EQ(TBytes(596, 0), RecordBytes()); // not the first-run values: the file exists
    EXPECT_EQ(0u, ReadBytes(ConfigPath()).size());

    SaveSettings(file_, record_, MovedTo(0, 0));
    EXPECT_EQ(596u, ReadBytes(ConfigPath()).size());
}

TEST_F(SettingsStoreTest, OutOfRangeValuesSurviveLoadAndSave) {
    TBytes content = FullRecordBytes();
    PutInt32(content, 44, 200);        // port with no list entry
    PutInt32(content, 48, -3);         // board type
    PutInt32(content, 52, 77);         // function
    PutInt32(content, 56, 9);          // display type
    PutInt32(content, 60, -1);         // start time
    PutInt32(content, 76, 2000000000); // initial number past nine digits
    PutInt32(content, 80, 5);          // in loop
    WriteBytes(ConfigPath(), content);

    Load();
    EXPECT_EQ(200, record_.portCode);
    EXPECT_EQ(-3, record_.boardType);
    EXPECT_EQ(77, record_.functionCode);
    EXPECT_EQ(9, record_.displayType);
    EXPECT_EQ(-1, record_.startTime);
    EXPECT_EQ(2000000000, record_.initialNumber);
    EXPECT_EQ(5, record_.inLoop);

    SaveSettings(file_, record_, MovedTo(1, 2));
    const TBytes bytes = ReadBytes(ConfigPath());
    ASSERT_EQ(596u, bytes.size());
    EXPECT_TRUE(std::equal(content.begin() + 44, content.end(), bytes.begin() + 44));
}

TEST_F(SettingsStoreTest, SoundFileWithoutZeroByteEndsAt255Characters) {
    TBytes content = FullRecordBytes();
    std::fill(content.begin() + 84, content.begin() + 340, 'a');
    WriteBytes(ConfigPath(), content);

    Load();
    EXPECT_EQ(255u, std::strlen(record_.soundFile));
    EXPECT_EQ(0, std::memcmp(&content[340], record_.reserved, sizeof record_.reserved));

    record_.soundFile[255] = 'a';
    ReadSettingsAgain(file_, record_);
    EXPECT_EQ(255u, std::strlen(record_.soundFile));
}

TEST_F(SettingsStoreTest, ReadingAgainSeesTheFileAsItIsNow) {
    Load();
    TBytes changed = ReadBytes(ConfigPath());
    PutInt32(changed, 52, FunctionCountDown); // another copy of the program saved meanwhile
    WriteBytes(ConfigPath(), changed);
    ReadSettingsAgain(file_, record_);
    EXPECT_EQ(FunctionCountDown, record_.functionCode);
}

TEST_F(SettingsStoreTest, SaveWithoutAnOpenFileChangesOnlyMemory) {
    SaveSettings(file_, record_, MovedTo(200, 150));
    EXPECT_EQ(44u, record_.placement.length);
    EXPECT_EQ(200, record_.placement.normalPosition[0]);
    EXPECT_FALSE(std::filesystem::exists(ConfigPath()));
}

} // namespace
