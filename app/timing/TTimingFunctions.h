// The four functions of the main window (Count-up, Count-down, Test, Lap counter): what the
// buttons do and what each timer tick counts and shows. Free of any window: the main dialog
// reaches it through TTimingHost, the board through TBoard, time through TClock.
#pragma once

#include "app/settings/SettingsRecord.h"
#include "app/timing/TBoard.h"
#include "app/timing/TClock.h"
#include "app/timing/TMainControls.h"
#include "app/timing/TSoundPlayer.h"
#include "scoreboard/TTemps.h"
#include "scoreboard/Tick.h"

#include <array>
#include <cstdint>
#include <functional>

// What the timing functions need of the main dialog.
class TTimingHost {
public:
    virtual ~TTimingHost() = default;
    // Raised while the dialog copies the settings into its controls.
    virtual bool Updating() const = 0;
    virtual void TransferFromControls() = 0;
    virtual void UpdateControlStates() = 0;
    virtual void FocusControl(int controlId) = 0;
    // The digital display's SetValue.
    virtual void SetDisplayValue(int32_t value, bool blankLeading, bool blankZero) = 0;
    // Restarts the window's 100 ms tick so that its next tick comes firstDelayMs from now and
    // the following ones every 100 ms after it. A host without a timer of its own ignores it.
    virtual void RestartTick(int firstDelayMs) { (void)firstDelayMs; }
};

// The local time last shown by "Horloge PC".
struct TClockTime {
    uint8_t hour = 0;
    uint8_t minute = 0;
    uint8_t hundredths = 0;
    uint8_t second = 0;
};

// Not saved; all zero at start except startSelector.
struct TTimingState {
    bool running = false;
    int32_t count = 0;         // in the unit of the display type
    int32_t unitSeconds = 0;   // seconds counted within the current minute, hour or day
    uint32_t tickAnchor = 0;   // tick-counter time of the last counted second
    int32_t testStep = 0;      // 0 to 10
    bool loopPending = false;  // the count-down restarts at the next second
    bool skipNextSend = false; // the restart already sent this second's value
    int32_t startSelector = 1; // the start time the next count-down reset uses: 1 or 2
    TClockTime lastClock;
};

// The board has nine digits: larger counts roll over to 0 as an odometer does.
constexpr int32_t NineDigitLimit = 1000000000;
// "hhmmss" rolls over after 99999:59:59, the largest time nine digits hold.
constexpr int32_t HhmmssSecondsLimit = 100000 * 3600;

class TTimingFunctions {
public:
    // The window's tick is kept in phase with the seconds being counted: it falls TickLagMs after
    // each tick period (scoreboard/Tick.h) from the count's anchor, or from the local time's
    // second for "Horloge PC", so that a new second is seen as it begins rather than up to a tick
    // later. A tick that comes up to TickSlackMs after its place is left alone; a later one puts
    // the next back in place.
    static constexpr uint32_t TickLagMs = 1;
    static constexpr uint32_t TickSlackMs = 4;

    TTimingFunctions(TSettingsRecord& settings, TTimingHost& host, TBoard& board, TClock& clock,
                     TSoundPlayer& sound);

    // START, STOP and RESET pressed by the user use the first start time again.
    void SelectFirstStartTime() { State.startSelector = 1; }

    void DoCommand(int controlId);
    void OnTimerTick();
    void OnDisplayTypeChanged();
    void OnStartTimeChanged();
    void OnInitialNumberChanged();
    void TakeInitialNumber();
    int32_t ComputeDisplayValue();
    void SendValue(int32_t value);

    // A run taken back after an unclean end is in State and the settings: shows its value for
    // now, and puts the next counted second msIntoSecond after the last.
    void ShowTakenBack(uint32_t msIntoSecond);

    TTimingState State;
    // Told after every change that a crash must not lose: a button, a function, a start value,
    // the loop's restart. Not told for the seconds counted in between.
    std::function<void()> OnRunChanged;

private:
    void ChooseCount(bool stopFirst);
    void ChooseTest();
    void ChooseLapCounter();
    void Start();
    void Stop();
    void Reset();

    void ShowPcClock();
    void CountSecond();
    void CountUpSecond();
    void CountDownSecond();
    void ShowTestPattern();
    bool AdvanceUnit();
    void PlaySoundFile();
    void RunChanged();
    void Show(int32_t value);
    int32_t HhmmssValue(int32_t seconds);
    void PutTickInPhase(uint32_t sinceStep);
    void KeepTickInPhase(uint32_t sinceStep);

    TSettingsRecord& Settings;
    TTimingHost& Host;
    TBoard& Board;
    TClock& Clock;
    TSoundPlayer& Sound;
    TTemps Temps;
    bool LoopRestarting = false; // the restart keeps the count's anchor, hence the tick's phase
};

// Seconds in one unit of display types "Minutes", "Heures" and "Jours"; 0 for the others.
int32_t SecondsPerUnit(int32_t displayType);

// The last nine digits of a value, so that its text always fills exactly nine characters
// (a negative value keeps its sign and eight digits).
int32_t LastNineDigits(int64_t value);

// Nine characters and their NUL.
using TNineText = std::array<char, 10>;

// What the board shows for a value: "%9.9d" of its last nine digits (a negative value keeps its
// sign and eight digits), with up to eight leading zeros turned into blanks when blankLeading is
// set, so that the ninth digit always stays.
TNineText LineText(int32_t value, bool blankLeading);

// What the digital display shows for SetValue(value, blankLeading, blankZero): the board's text
// for the value, position by position, except that a value of 0 shown with both flags set is all
// blank.
TNineText DisplayText(int32_t value, bool blankLeading, bool blankZero);
