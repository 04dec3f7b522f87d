#include "app/timing/TTimingFunctions.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr uint32_t SecondMs = 1000;
constexpr int32_t LineOne = 1;
// Largest count of seconds whose milliseconds still fit a signed 32-bit value.
constexpr int32_t MaxSecondsAsMs = INT32_MAX / 1000;

// value + 1, rolling over to 0 at limit; computed wide so a stored value near INT32_MAX cannot
// overflow.
int32_t NextOnOdometer(int32_t value, int32_t limit) {
    const int64_t next = static_cast<int64_t>(value) + 1;
    return static_cast<int32_t>(next >= limit ? next % limit : next);
}

// How long after its place a tick falls, given the time since the last step: 0 to 99 ms.
uint32_t PastTickPlace(uint32_t sinceStep) {
    constexpr uint32_t step = TickPeriodMs;
    return (sinceStep % step + step - TTimingFunctions::TickLagMs) % step;
}

// Milliseconds from now to the next place of a tick: 1 to 100.
uint32_t DelayToTickPlace(uint32_t sinceStep) {
    return TickPeriodMs - PastTickPlace(sinceStep);
}

TClockTime ClockTimeOf(const TLocalTime& local) {
    TClockTime time;
    time.hour = static_cast<uint8_t>(local.hour);
    time.minute = static_cast<uint8_t>(local.minute);
    time.hundredths = static_cast<uint8_t>(local.milliseconds / 10);
    time.second = static_cast<uint8_t>(local.second);
    return time;
}

} // namespace

int32_t SecondsPerUnit(int32_t displayType) {
    switch (displayType) {
    case DisplayMinutes:
        return 60;
    case DisplayHours:
        return 3600;
    case DisplayDays:
        return 86400;
    default:
        return 0;
    }
}

int32_t LastNineDigits(int64_t value) {
    if (value >= 0)
        return static_cast<int32_t>(value % NineDigitLimit);
    const uint64_t magnitude = 0 - static_cast<uint64_t>(value); // safe for INT64_MIN too
    return -static_cast<int32_t>(magnitude % (NineDigitLimit / 10));
}

TNineText LineText(int32_t value, bool blankLeading) {
    const int32_t digits = LastNineDigits(value);
    TNineText text{};
    // A negative value (only from a damaged settings file) keeps eight digits after its sign.
    std::snprintf(text.data(), text.size(), digits < 0 ? "%9.8d" : "%9.9d", digits);
    // Leading zeros become blanks; the ninth digit always stays.
    for (int i = 0; blankLeading && i < 8 && text[i] == '0'; ++i)
        text[i] = ' ';
    return text;
}

TNineText DisplayText(int32_t value, bool blankLeading, bool blankZero) {
    TNineText text = LineText(value, blankLeading);
    if (blankLeading && blankZero && value == 0)
        text[8] = ' ';
    return text;
}

TTimingFunctions::TTimingFunctions(TSettingsRecord& settings, TTimingHost& host, TBoard& board,
                                   TClock& clock, TSoundPlayer& sound)
    : Settings(settings), Host(host), Board(board), Clock(clock), Sound(sound) {}

void TTimingFunctions::DoCommand(int controlId) {
    if (controlId < ControlCountUp || controlId > ControlLapCounter)
        return;
    if (Host.Updating())
        return;
    Host.TransferFromControls();
    switch (controlId) {
    case ControlCountUp:
        ChooseCount(false);
        break;
    case ControlCountDown:
        ChooseCount(true);
        break;
    case ControlTest:
        ChooseTest();
        break;
    case ControlLapCounter:
        ChooseLapCounter();
        break;
    case ControlStart:
        Start();
        break;
    case ControlStop:
        Stop();
        break;
    case ControlReset:
        Reset();
        break;
    }
    // The loop's restart is one change, told once it is complete.
    if (!LoopRestarting)
        RunChanged();
}

// Count-up and Count-down chosen: the same steps, except that Count-down stops the function
// before the controls are enabled for it and Count-up after.
void TTimingFunctions::ChooseCount(bool stopFirst) {
    Host.TransferFromControls();
    if (stopFirst)
        State.running = false;
    Host.UpdateControlStates();
    if (!stopFirst)
        State.running = false;
    Host.SetDisplayValue(ComputeDisplayValue(), true, true);
    Board.Clear();
    Host.FocusControl(ControlStartTime);
}

void TTimingFunctions::ChooseTest() {
    Host.TransferFromControls();
    State.running = false;
    State.testStep = 0;
    Host.SetDisplayValue(0, true, true);
    Board.Clear();
    Host.UpdateControlStates();
}

void TTimingFunctions::ChooseLapCounter() {
    Host.TransferFromControls();
    State.running = false;
    Settings.lapNumber = 0;
    Host.UpdateControlStates();
    Host.FocusControl(ControlInitialNumber);
    Host.SetDisplayValue(0, true, false);
    SendValue(0);
}

void TTimingFunctions::Start() {
    switch (Settings.functionCode) {
    case FunctionCountUp:
    case FunctionCountDown: {
        if (Settings.functionCode == FunctionCountUp && Settings.displayType == DisplayPcClock) {
            // Nothing is shown until the local time's second changes.
            const TLocalTime local = Clock.LocalTime();
            State.lastClock = ClockTimeOf(local);
            State.running = true;
            PutTickInPhase(static_cast<uint32_t>(local.milliseconds));
            break;
        }
        State.tickAnchor = Clock.TickCount();
        State.unitSeconds = 0;
        const int32_t value = ComputeDisplayValue();
        SendValue(value);
        Host.SetDisplayValue(value, true, false);
        // A count-down from zero does not start; nor does one from a (corrupt) negative count,
        // which would never reach zero.
        if (Settings.functionCode == FunctionCountUp || (value != 0 && State.count > 0))
            State.running = true;
        if (State.running && !LoopRestarting)
            PutTickInPhase(0); // the seconds now count from this press
        break;
    }
    case FunctionTest:
        State.tickAnchor = Clock.TickCount();
        State.running = true;
        PutTickInPhase(0);
        break;
    case FunctionLapCounter:
        Settings.lapNumber = NextOnOdometer(Settings.lapNumber, NineDigitLimit);
        SendValue(Settings.lapNumber);
        Host.SetDisplayValue(Settings.lapNumber, true, false);
        break;
    default:
        break;
    }
}

void TTimingFunctions::Stop() {
    if (Settings.functionCode != FunctionLapCounter) {
        State.running = false; // the display and the board keep the last value
        return;
    }
    if (Settings.lapNumber > 0)
        --Settings.lapNumber;
    Host.SetDisplayValue(Settings.lapNumber, true, false);
    SendValue(Settings.lapNumber);
}

void TTimingFunctions::Reset() {
    State.running = false;
    if (Settings.displayType >= DisplaySeconds) {
        State.count = Settings.startNumber;
    } else {
        State.count = Settings.startTime / 1000;
        if (State.startSelector == 2 && Settings.secondStartTime != 0)
            State.count = Settings.secondStartTime / 1000;
    }
    State.testStep = 0;
    Settings.lapNumber = Settings.initialNumber;

    switch (Settings.functionCode) {
    case FunctionCountUp:
        if (Settings.displayType == DisplayPcClock)
            break;
        [[fallthrough]];
    case FunctionCountDown: {
        const int32_t value = ComputeDisplayValue();
        Host.SetDisplayValue(value, true, false);
        SendValue(value);
        break;
    }
    case FunctionTest:
        Host.SetDisplayValue(0, false, true);
        Board.SetLineText(LineOne, LineText(0, false).data());
        break;
    case FunctionLapCounter:
        Host.SetDisplayValue(Settings.lapNumber, true, false);
        SendValue(Settings.lapNumber);
        break;
    default:
        break;
    }
}

void TTimingFunctions::OnDisplayTypeChanged() {
    if (Host.Updating())
        return;
    Host.TransferFromControls();
    State.running = false;
    Host.UpdateControlStates();
    TakeInitialNumber();
    RunChanged();
}

void TTimingFunctions::OnStartTimeChanged() {
    if (Host.Updating())
        return;
    Host.TransferFromControls();
    // The first start time also when the second field changed.
    if (!State.running)
        State.count = Settings.startTime / 1000;
    RunChanged();
}

void TTimingFunctions::OnInitialNumberChanged() {
    if (Host.Updating())
        return;
    Host.TransferFromControls();
    TakeInitialNumber();
    if (Settings.functionCode == FunctionLapCounter) {
        Settings.lapNumber = Settings.initialNumber;
        Host.SetDisplayValue(Settings.lapNumber, true, true);
        SendValue(Settings.lapNumber);
    }
    RunChanged();
}

void TTimingFunctions::TakeInitialNumber() {
    if (Settings.functionCode != FunctionCountUp && Settings.functionCode != FunctionCountDown)
        return;
    Settings.startNumber = Settings.initialNumber;
    if (!State.running)
        State.count = Settings.startNumber;
}

int32_t TTimingFunctions::ComputeDisplayValue() {
    if (Settings.displayType == DisplayHhmmss)
        return HhmmssValue(State.count);
    return LastNineDigits(State.count);
}

int32_t TTimingFunctions::HhmmssValue(int32_t seconds) {
    if (seconds >= -MaxSecondsAsMs && seconds <= MaxSecondsAsMs) {
        const int32_t ms = seconds * 1000;
        return Temps.Hours(ms) * 10000 + Temps.Minutes(ms) * 100 + Temps.Seconds(ms);
    }
    // Beyond 596:31:23 the milliseconds leave 32 bits: split the seconds themselves, and keep
    // the last five digits of the hours so the value still fits the nine digits.
    const int64_t magnitude = std::llabs(static_cast<int64_t>(seconds));
    const int64_t hours = magnitude / 3600;
    const int64_t value = hours * 10000 + (magnitude / 60 % 60) * 100 + magnitude % 60;
    return LastNineDigits(value);
}

void TTimingFunctions::SendValue(int32_t value) {
    Board.SetLineText(LineOne, LineText(value, true).data());
}

void TTimingFunctions::OnTimerTick() {
    if (Settings.functionCode == FunctionCountUp && Settings.displayType == DisplayPcClock) {
        ShowPcClock();
        return;
    }
    const uint32_t now = Clock.TickCount();
    if (now - State.tickAnchor >= SecondMs) {
        // The anchor moves by exactly one second, not to now: no time is lost to timer lateness,
        // a stall is caught up one second per tick, and the unsigned difference survives the
        // wrap.
        State.tickAnchor += SecondMs;
        if (State.running)
            CountSecond();
    }
    // Whole seconds leave the phase as it is: the anchor's steps stay the tick's reference.
    if (State.running)
        KeepTickInPhase(now - State.tickAnchor);
}

// The next tick at its place: TickLagMs after the next step.
void TTimingFunctions::PutTickInPhase(uint32_t sinceStep) {
    Host.RestartTick(static_cast<int>(DelayToTickPlace(sinceStep)));
}

// A tick that came late (a busy window thread) has the next one put back at its place.
void TTimingFunctions::KeepTickInPhase(uint32_t sinceStep) {
    if (PastTickPlace(sinceStep) > TickSlackMs)
        PutTickInPhase(sinceStep);
}

void TTimingFunctions::ShowPcClock() {
    if (!State.running)
        return;
    const TLocalTime local = Clock.LocalTime();
    KeepTickInPhase(static_cast<uint32_t>(local.milliseconds));
    const TClockTime now = ClockTimeOf(local);
    if (now.second == State.lastClock.second)
        return;
    State.lastClock = now;
    Show(now.hour * 10000 + now.minute * 100 + now.second);
}

void TTimingFunctions::CountSecond() {
    switch (Settings.functionCode) {
    case FunctionCountUp:
        CountUpSecond();
        break;
    case FunctionCountDown:
        CountDownSecond();
        break;
    case FunctionTest:
        ShowTestPattern();
        break;
    default:
        break;
    }
}

// One second more within the current minute, hour or day; true when that unit is complete.
bool TTimingFunctions::AdvanceUnit() {
    if (++State.unitSeconds < SecondsPerUnit(Settings.displayType))
        return false;
    State.unitSeconds = 0;
    return true;
}

void TTimingFunctions::CountUpSecond() {
    switch (Settings.displayType) {
    case DisplayHhmmss:
        State.count = NextOnOdometer(State.count, HhmmssSecondsLimit);
        break;
    case DisplaySeconds:
        State.count = NextOnOdometer(State.count, NineDigitLimit);
        break;
    case DisplayMinutes:
    case DisplayHours:
    case DisplayDays:
        if (AdvanceUnit())
            State.count = NextOnOdometer(State.count, NineDigitLimit);
        break;
    default:
        break;
    }
    Show(ComputeDisplayValue());
}

void TTimingFunctions::CountDownSecond() {
    if (State.loopPending) {
        if (Settings.secondStartTime != 0 && ++State.startSelector > 2)
            State.startSelector = 1;
        // The restart belongs to this counted second: keep its anchor rather than START's "now",
        // so a loop does not drift by the timer's lateness at every restart.
        const uint32_t anchor = State.tickAnchor;
        LoopRestarting = true;
        DoCommand(ControlReset);
        DoCommand(ControlStart);
        LoopRestarting = false;
        State.tickAnchor = anchor;
        State.skipNextSend = true;
        State.loopPending = false;
        RunChanged();
    } else {
        switch (Settings.displayType) {
        case DisplayHhmmss:
        case DisplaySeconds:
            --State.count;
            break;
        case DisplayMinutes:
        case DisplayHours:
        case DisplayDays:
            if (AdvanceUnit())
                --State.count;
            break;
        default:
            break; // "Horloge PC" counts nothing down
        }
    }

    const int32_t value = ComputeDisplayValue();
    if (State.skipNextSend)
        State.skipNextSend = false;
    else
        SendValue(value);
    Host.SetDisplayValue(value, true, false);
    if (value != 0)
        return;

    PlaySoundFile();
    if (Settings.inLoop) {
        State.loopPending = true;
        return;
    }
    DoCommand(ControlStop);
}

void TTimingFunctions::ShowTestPattern() {
    ++State.testStep;
    const int32_t value = (State.testStep - 1) * 111111111;
    Board.SetLineText(LineOne, LineText(value, false).data());
    Host.SetDisplayValue(value, false, true);
    if (State.testStep == 10)
        State.testStep = 0;
}

void TTimingFunctions::PlaySoundFile() {
    // The field comes from the settings file: never read past its 256 bytes.
    const std::string path(Settings.soundFile, strnlen(Settings.soundFile, SoundFileSize));
    if (!path.empty())
        Sound.Play(path.c_str());
}

void TTimingFunctions::RunChanged() {
    if (OnRunChanged)
        OnRunChanged();
}

void TTimingFunctions::ShowTakenBack(uint32_t msIntoSecond) {
    State.tickAnchor = Clock.TickCount() - msIntoSecond;
    switch (Settings.functionCode) {
    case FunctionCountUp:
    case FunctionCountDown:
        if (Settings.functionCode == FunctionCountUp && Settings.displayType == DisplayPcClock) {
            if (!State.running)
                return; // a stopped clock shows nothing, as after an ordinary start
            const TLocalTime local = Clock.LocalTime();
            State.lastClock = ClockTimeOf(local);
            Show(local.hour * 10000 + local.minute * 100 + local.second);
            PutTickInPhase(static_cast<uint32_t>(local.milliseconds));
            return;
        }
        Show(ComputeDisplayValue());
        break;
    case FunctionLapCounter:
        Show(Settings.lapNumber);
        break;
    default:
        break; // Test shows its next pattern at the next second, as after START
    }
    if (State.running)
        PutTickInPhase(msIntoSecond);
}

void TTimingFunctions::Show(int32_t value) {
    SendValue(value);
    Host.SetDisplayValue(value, true, false);
}
