// The settings file's life in the program: loaded when the main window is built (created with the
// first-run values when it cannot be opened), read again at set-up, and written back at close with
// the window's placement. Failures are silent: the program then runs on what the record holds.
#pragma once

#include "app/settings/SettingsRecord.h"
#include "app/settings/TSFile.h"

#include <cstdint>

// Relative: "config.dat" lives in the current directory.
inline constexpr const char* SettingsFileName = "config.dat";

// Where the frame window is, as the window system reports it; becomes the record's placement.
struct TPlacementValues {
    TShowState showState = ShowNormal;
    int32_t minimizedX = 0, minimizedY = 0;
    int32_t maximizedX = 0, maximizedY = 0;
    int32_t left = 0, top = 0, right = 0, bottom = 0; // the restored (normal) rectangle
};

// Zeroes the record and sets the values of a first start: window at 100, 75, port Com1, the
// line-message board, Count-up, "hhmmss".
void SetFirstRunValues(TSettingsRecord& record);

// Assigns path to file and reads record 1 into record; creates the file with the first-run values
// when it cannot be opened. The file stays open for the run when that succeeds.
void LoadSettings(TSFile& file, TSettingsRecord& record, const char* path = SettingsFileName);

// Reads record 1 again (set-up of the main window).
void ReadSettingsAgain(TSFile& file, TSettingsRecord& record);

// Stores the placement in the record (length 44), writes record 1 and closes the file.
void SaveSettings(TSFile& file, TSettingsRecord& record, const TPlacementValues& placement);

// A sound file path that fills its 256 bytes without a zero byte is cut at 255 characters, so
// that nothing reading it as text runs past the field.
void TerminateSoundFile(TSettingsRecord& record);
