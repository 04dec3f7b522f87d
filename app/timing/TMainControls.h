// Control ids of the main dialog: its template, the dialog's control objects and event table,
// and the timing functions all name controls through this one list.
#pragma once

enum TMainControl : int {
    IdPort = 101,
    IdFunctionsBox = 102,
    IdCountUp = 103,
    IdCountDown = 104,
    IdTest = 105,
    IdStart = 106, // the plus sign in Lap counter mode
    IdStop = 107,  // the minus sign in Lap counter mode
    IdReset = 108,
    IdLapCounter = 109,
    IdInitialNumber = 110,
    IdStartTime = 111,
    IdStartTimeLabel = 112,
    IdInitialNumberLabel = 114,
    IdSecondStartTime = 115,
    IdInLoop = 116,
    IdDisplayBox = 117,
    IdDisplayType = 118,
    IdBoardType = 119,
    IdScoreboardBox = 120,
    IdSoundBox = 121,
    // Not a template item: the display lies over the panel picture. It shares its id with the
    // Sound group box, as the dialog always had it.
    IdDigitalDisplay = 121,
    IdSoundFile = 122,
    IdBrowse = 123,
};

// The same ids under the names the timing functions use for the controls they handle or move
// the focus to.
enum TTimingControl : int {
    ControlCountUp = IdCountUp,
    ControlCountDown = IdCountDown,
    ControlTest = IdTest,
    ControlStart = IdStart,
    ControlStop = IdStop,
    ControlReset = IdReset,
    ControlLapCounter = IdLapCounter,
    ControlInitialNumber = IdInitialNumber,
    ControlStartTime = IdStartTime,
};
