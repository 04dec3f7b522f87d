// The record file on real files: opening, creating, records by number, seeking and short reads.
#include "app/settings/TSFile.h"
#include "tests/settings/SettingsFiles.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

namespace {

constexpr uint32_t RecordSize = 16;

class TSFileTest : public ::testing::Test {
protected:
    void AssignFile(const char* name = "records.dat") {
        path_ = dir_.Path(name).string();
        file_.Assign(path_.c_str(), record_.data(), RecordSize);
    }
    void FillRecord(uint8_t value) { record_.fill(value); }

    TTempDir dir_;
    std::string path_;
    std::array<uint8_t, RecordSize> record_{};
    TSFile file_;
};

TEST_F(TSFileTest, MissingFileDoesNotOpenAndCreateMakesItEmpty) {
    AssignFile();
    EXPECT_EQ(0, file_.Exists());
    EXPECT_EQ(0, file_.Open());
    EXPECT_FALSE(file_.IsOpen());
    EXPECT_EQ(0u, file_.Size());

    EXPECT_EQ(1, file_.Create());
    EXPECT_TRUE(file_.IsOpen());
    EXPECT_EQ(1, file_.Exists());
    EXPECT_EQ(0u, file_.Size());
    EXPECT_TRUE(std::filesystem::is_regular_file(path_));
}

TEST_F(TSFileTest, CreateKeepsAnExistingFile) {
    AssignFile();
    WriteBytes(path_, PatternBytes(40));
    EXPECT_EQ(1, file_.Create());
    EXPECT_TRUE(file_.IsOpen());
    EXPECT_EQ(40u, file_.Size());
    EXPECT_EQ(PatternBytes(40), ReadBytes(path_));
}

TEST_F(TSFileTest, RecordsAreNumberedFromOneAndAppendOnlyAtTheEnd) {
    AssignFile();
    ASSERT_EQ(1, file_.Create());
    FillRecord(0xA1);
    EXPECT_EQ(1, file_.WriteRecord(1));
    FillRecord(0xB2);
    EXPECT_EQ(1, file_.WriteRecord(2)); // appends at the end
    FillRecord(0xC3);
    EXPECT_EQ(0, file_.WriteRecord(4)); // would leave a gap
    EXPECT_EQ(0, file_.WriteRecord(0));
    EXPECT_EQ(2 * RecordSize, file_.Size());

    TBytes expected(RecordSize, 0xA1);
    expected.insert(expected.end(), RecordSize, 0xB2);
    EXPECT_EQ(expected, ReadBytes(path_));

    FillRecord(0);
    EXPECT_EQ(1, file_.ReadRecord(2));
    EXPECT_EQ(0xB2, record_[0]);
    EXPECT_EQ(0xB2, record_[RecordSize - 1]);
    EXPECT_EQ(0, file_.ReadRecord(3)); // starts at the end: nothing to read
}

TEST_F(TSFileTest, ReadRecordZeroFailsAndReadsNothing) {
    AssignFile();
    WriteBytes(path_, PatternBytes(3 * RecordSize));
    ASSERT_EQ(1, file_.Open());
    FillRecord(0x5A);
    EXPECT_EQ(0, file_.ReadRecord(0));
    for (uint8_t byte : record_)
        EXPECT_EQ(0x5A, byte);
}

TEST_F(TSFileTest, SeekAtTheSizeSucceedsAndOneFurtherFails) {
    AssignFile();
    WriteBytes(path_, PatternBytes(100));
    ASSERT_EQ(1, file_.Open());
    EXPECT_EQ(1, file_.Seek(0));
    EXPECT_EQ(1, file_.Seek(100));
    EXPECT_EQ(0, file_.Seek(101));
    EXPECT_EQ(0, file_.Seek(-2));
    file_.Close();
    EXPECT_EQ(0, file_.Seek(0));
}

TEST_F(TSFileTest, ShortReadFailsButKeepsTheBytesItRead) {
    AssignFile();
    const TBytes content = PatternBytes(10);
    WriteBytes(path_, content);
    ASSERT_EQ(1, file_.Open());
    FillRecord(0xEE);
    EXPECT_EQ(0, file_.ReadRecord(1));
    EXPECT_EQ(0, std::memcmp(content.data(), record_.data(), content.size()));
    for (std::size_t i = content.size(); i < RecordSize; ++i)
        EXPECT_EQ(0xEE, record_[i]) << i;
}

TEST_F(TSFileTest, ReadAndWriteAtTheCurrentPosition) {
    AssignFile();
    WriteBytes(path_, PatternBytes(8));
    ASSERT_EQ(1, file_.Open());
    uint8_t two[2] = {};
    ASSERT_EQ(1, file_.ReadAt(3, two, 2));
    const uint8_t replacement[2] = {0xF0, 0xF1};
    ASSERT_EQ(1, file_.WriteAt(TSFile::Here, replacement, 2)); // at offsets 5 and 6
    ASSERT_EQ(1, file_.ReadAt(TSFile::Here, two, 1));
    file_.Close();

    TBytes expected = PatternBytes(8);
    expected[5] = 0xF0;
    expected[6] = 0xF1;
    EXPECT_EQ(expected, ReadBytes(path_));
    EXPECT_EQ(expected[7], two[0]);
}

TEST_F(TSFileTest, NothingHappensWhenNotOpenOrWithoutBuffer) {
    AssignFile();
    WriteBytes(path_, PatternBytes(RecordSize));
    uint8_t byte = 0;
    EXPECT_EQ(0, file_.ReadAt(0, &byte, 1));
    EXPECT_EQ(0, file_.WriteAt(0, &byte, 1));
    EXPECT_EQ(0, file_.ReadRecord(1));
    EXPECT_EQ(0, file_.WriteRecord(1));
    ASSERT_EQ(1, file_.Open());
    EXPECT_EQ(0, file_.ReadAt(0, nullptr, 1));
    EXPECT_EQ(0, file_.WriteAt(0, nullptr, 1));
    EXPECT_EQ(1, file_.Close());
    EXPECT_EQ(1, file_.Close()); // twice is harmless
    EXPECT_EQ(PatternBytes(RecordSize), ReadBytes(path_));
}

TEST_F(TSFileTest, ClearRecordZeroesExactlyTheRecordSize) {
    std::array<uint8_t, RecordSize + 4> buffer;
    buffer.fill(0x77);
    file_.Assign(dir_.Path("x").string().c_str(), buffer.data(), RecordSize);
    file_.ClearRecord();
    for (std::size_t i = 0; i < buffer.size(); ++i)
        EXPECT_EQ(i < RecordSize ? 0 : 0x77, buffer[i]) << i;
}

TEST_F(TSFileTest, AssignClosesTheOpenFile) {
    AssignFile();
    ASSERT_EQ(1, file_.Create());
    AssignFile("other.dat");
    EXPECT_FALSE(file_.IsOpen());
    EXPECT_EQ(0, file_.Open());
}

TEST_F(TSFileTest, OverlongPathIsRefusedNotCut) {
    // Cutting would name another file: "aaa...a" of 256 characters exists, the 300-character
    // path must not reach it.
    const std::string name256(256 - dir_.Path().string().size() - 1, 'a');
    const std::string path256 = (dir_.Path() / name256).string();
    ASSERT_EQ(256u, path256.size());
    WriteBytes(path256, PatternBytes(RecordSize));
    file_.Assign(path256.c_str(), record_.data(), RecordSize);
    EXPECT_EQ(1, file_.Open());
    EXPECT_STREQ(path256.c_str(), file_.Path());

    const std::string path300 = path256 + std::string(44, 'a');
    file_.Assign(path300.c_str(), record_.data(), RecordSize);
    EXPECT_STREQ("", file_.Path());
    EXPECT_EQ(0, file_.Exists());
    EXPECT_EQ(0, file_.Open());
    EXPECT_EQ(1, file_.Create());
    EXPECT_FALSE(file_.IsOpen());
}

TEST_F(TSFileTest, TwoOpenersShareTheFile) {
    AssignFile();
    WriteBytes(path_, TBytes(RecordSize, 0));
    std::array<uint8_t, RecordSize> otherRecord{};
    TSFile other;
    other.Assign(path_.c_str(), otherRecord.data(), RecordSize);
    ASSERT_EQ(1, file_.Open());
    ASSERT_EQ(1, other.Open());
    FillRecord(0x42);
    ASSERT_EQ(1, file_.WriteRecord(1));
    ASSERT_EQ(1, other.ReadRecord(1));
    EXPECT_EQ(record_, otherRecord);
}

TEST_F(TSFileTest, DirectoryDoesNotOpen) {
    AssignFile("folder");
    std::filesystem::create_directory(path_);
    EXPECT_EQ(1, file_.Exists());
    EXPECT_EQ(0, file_.Open());
    EXPECT_EQ(1, file_.Create());
    EXPECT_FALSE(file_.IsOpen());
    EXPECT_TRUE(std::filesystem::is_directory(path_));
}

} // namespace
