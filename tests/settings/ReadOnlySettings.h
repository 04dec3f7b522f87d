// Shared by the read-only "config.dat" tests of every platform and those of Linux alone.
#pragma once

#include "app/settings/SettingsStore.h"
#include "tests/settings/SettingsFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

// A record as another run saved it, with Test as the function.
inline TBytes SavedRecordWithFunctionTest() {
    TBytes bytes = PatternBytes(SettingsRecordSize);
    bytes[84] = 0;
    PutInt32(bytes, 52, FunctionTest);
    return bytes;
}

inline void ExpectFirstRunValues(const TSettingsRecord& record) {
    TSettingsRecord expected;
    SetFirstRunValues(expected);
    EXPECT_EQ(0, std::memcmp(&expected, &record, sizeof record));
    EXPECT_EQ(FunctionCountUp, record.functionCode);
    EXPECT_EQ(100, record.placement.normalPosition[0]);
    EXPECT_EQ(75, record.placement.normalPosition[1]);
}

// The program's start and close on path; returns the record it ran on.
inline TSettingsRecord RunProgramOn(const std::string& path) {
    TSFile file;
    TSettingsRecord record{};
    LoadSettings(file, record, path.c_str());
    ReadSettingsAgain(file, record);
    TSettingsRecord ranOn = record;
    TPlacementValues placement;
    placement.left = 300;
    placement.top = 200;
    SaveSettings(file, record, placement);
    return ranOn;
}

class ReadOnlySettingsTest : public ::testing::Test {
protected:
    std::string ConfigPath() const { return dir_.Path("config.dat").string(); }
    TTempDir dir_;
};
