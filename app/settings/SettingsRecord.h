// The settings record: every user setting and the window placement, kept in memory for the whole
// run and stored raw, byte for byte, as record 1 of "config.dat". The layout is a file format
// shared with every copy of the program: never reorder, resize or pad it.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

static_assert(std::endian::native == std::endian::little,
              "config.dat stores little-endian integers as they are in memory");

// Where the main frame window was, in the 44 bytes the file reserves for it.
struct TWindowPlacement {
    uint32_t length;              // 44, set just before each save
    uint32_t flags;               // placement flags (none are used on this platform)
    uint32_t showState;           // TShowState
    int32_t minimizedPosition[2]; // x, y
    int32_t maximizedPosition[2]; // x, y
    int32_t normalPosition[4];    // left, top, right, bottom of the restored window
};

enum TShowState : uint32_t { ShowNormal = 1, ShowMinimized = 2, ShowMaximized = 3 };

enum TFunctionCode : int32_t {
    FunctionNone = 0,
    FunctionCountUp = 1,
    FunctionCountDown = 2,
    FunctionTest = 3,
    FunctionLapCounter = 4,
};

enum TDisplayType : int32_t {
    DisplayPcClock = 0, // "Horloge PC"
    DisplayHhmmss = 1,  // "hhmmss"
    DisplaySeconds = 2, // "Secondes"
    DisplayMinutes = 3, // "Minutes"
    DisplayHours = 4,   // "Heures"
    DisplayDays = 5,    // "Jours"
};

constexpr std::size_t SoundFileSize = 256;

struct TSettingsRecord {
    TWindowPlacement placement;
    int32_t portCode;        // position in the port list; 0 is "N.C."
    int32_t boardType;       // 0 "Aucun", 1 the line-message board
    int32_t functionCode;    // TFunctionCode
    int32_t displayType;     // TDisplayType
    int32_t startTime;       // milliseconds
    int32_t secondStartTime; // milliseconds; 0 means none
    int32_t startNumber;
    int32_t lapNumber;
    int32_t initialNumber;         // 0 to 999999999
    int32_t inLoop;                // 0 or 1
    char soundFile[SoundFileSize]; // NUL-terminated path; empty means no sound
    uint8_t reserved[256];         // written back as it was read
};

constexpr std::size_t SettingsRecordSize = 596;

static_assert(sizeof(TWindowPlacement) == 44);
static_assert(sizeof(TSettingsRecord) == SettingsRecordSize);
static_assert(offsetof(TSettingsRecord, placement) == 0);
static_assert(offsetof(TWindowPlacement, flags) == 4);
static_assert(offsetof(TWindowPlacement, showState) == 8);
static_assert(offsetof(TWindowPlacement, minimizedPosition) == 12);
static_assert(offsetof(TWindowPlacement, maximizedPosition) == 20);
static_assert(offsetof(TWindowPlacement, normalPosition) == 28);
static_assert(offsetof(TSettingsRecord, portCode) == 44);
static_assert(offsetof(TSettingsRecord, boardType) == 48);
static_assert(offsetof(TSettingsRecord, functionCode) == 52);
static_assert(offsetof(TSettingsRecord, displayType) == 56);
static_assert(offsetof(TSettingsRecord, startTime) == 60);
static_assert(offsetof(TSettingsRecord, secondStartTime) == 64);
static_assert(offsetof(TSettingsRecord, startNumber) == 68);
static_assert(offsetof(TSettingsRecord, lapNumber) == 72);
static_assert(offsetof(TSettingsRecord, initialNumber) == 76);
static_assert(offsetof(TSettingsRecord, inLoop) == 80);
static_assert(offsetof(TSettingsRecord, soundFile) == 84);
static_assert(offsetof(TSettingsRecord, reserved) == 340);
