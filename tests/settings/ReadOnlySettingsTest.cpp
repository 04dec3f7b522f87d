// "config.dat" that cannot be opened for writing, as every platform has it: the program runs on the
// first-run values and the file is left as it was. A file without write permission (on Windows:
// read-only) and a directory named config.dat. ReadOnlySettingsLinuxTest.cpp has Linux's own ways.
#include "tests/settings/ReadOnlySettings.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

// Whoever runs the program, root included, a file without any write permission bit is left as it
// was; the owner's write bit is enough for the program to use and save the file. On Windows the
// modes come down to the read-only attribute, which the owner's write bit clears.
struct TModeCase {
    unsigned Mode;
    bool Writable;
};

class SettingsFileModeTest : public ReadOnlySettingsTest,
                             public ::testing::WithParamInterface<TModeCase> {};

TEST_P(SettingsFileModeTest, ProgramWritesOnlyAFileWithAWriteBit) {
    const TBytes saved = SavedRecordWithFunctionTest();
    WriteBytes(ConfigPath(), saved);
    std::filesystem::permissions(ConfigPath(), std::filesystem::perms(GetParam().Mode));

    const TSettingsRecord record = RunProgramOn(ConfigPath());
    const TBytes after = ReadBytes(ConfigPath());
    if (GetParam().Writable) {
        EXPECT_EQ(FunctionTest, record.functionCode);
        EXPECT_EQ(300, Int32At(after, 28)); // the placement saved at close
    } else {
        ExpectFirstRunValues(record);
        EXPECT_EQ(saved, after);
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, SettingsFileModeTest,
                         ::testing::Values(TModeCase{0444, false}, TModeCase{0400, false},
                                           TModeCase{0555, false}, TModeCase{0000, false},
                                           TModeCase{0644, true}),
                         [](const ::testing::TestParamInfo<TModeCase>& mode) {
                             char name[16];
                             std::snprintf(name, sizeof name, "Mode%04o", mode.param.Mode);
                             return std::string(name);
                         });

TEST_F(ReadOnlySettingsTest, DirectoryNamedConfigDat) {
    std::filesystem::create_directory(ConfigPath());
    const TSettingsRecord record = RunProgramOn(ConfigPath());
    ExpectFirstRunValues(record);
    EXPECT_TRUE(std::filesystem::is_directory(ConfigPath()));
    EXPECT_TRUE(std::filesystem::is_empty(ConfigPath()));
}

} // namespace
