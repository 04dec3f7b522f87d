// The main dialog: every input control bound to a field of the settings record, the digital
// display, the push buttons of the four timing functions, the board opened on the chosen port,
// and the settings saved when the window closes.
#pragma once

#include "app/TDriverBoard.h"
#include "app/TProgramObjects.h"
#include "app/TTimingFunctions.h"
#include "toolkit/TEventTable.h"
#include "toolkit/TWinDialog.h"

#include <QString>
#include <functional>

class TAffDigital;
class TDecButton;
class TEditAlpha;
class TEditCheck;
class TEditCombo;
class TEditNum;
class TEditTemps;

// Control ids of the main dialog template.
enum TMainControl : int {
    IdPort = 101,
    IdCountUp = 103,
    IdCountDown = 104,
    IdTest = 105,
    IdStart = 106,
    IdStop = 107,
    IdReset = 108,
    IdLapCounter = 109,
    IdInitialNumber = 110,
    IdStartTime = 111,
    IdSecondStartTime = 115,
    IdInLoop = 116,
    IdDisplayType = 118,
    IdBoardType = 119,
    IdSoundFile = 122,
    IdBrowse = 123,
    IdDigitalDisplay = 121,
};

constexpr int TickTimerId = 101;
constexpr int TickPeriodMs = 100;
constexpr int SplashTimeMs = 2500;

class TDialogKD : public TWinDialog {
    Q_OBJECT

public:
    TDialogKD(TProgramObjects& program, TClock& clock, TSoundPlayer& sound,
              int splashTimeMs = SplashTimeMs);
    ~TDialogKD() override;

    void UpdateControlStates();
    void OpenBoard();
    void BrowseSound();
    bool QueryClose() override;

    TTimingFunctions& Timing() { return Functions; }
    TAffDigital* DigitalDisplay() const { return Display; }
    TDecButton* FirstButton() const { return Button106; }
    TDecButton* SecondButton() const { return Button107; }

    // Asks for a WAV file; an empty result means cancelled. Tests replace the file dialog.
    std::function<QString(QWidget* parent)> ChooseSoundFile;

protected:
    void StartUp() override;
    bool Dispatch(TNotify kind, int id) override;

private:
    // What the timing functions see of this dialog.
    class THost : public TTimingHost {
    public:
        explicit THost(TDialogKD& dialog) : Dialog(dialog) {}
        bool Updating() const override { return Dialog.TWinDialog::Updating == 1; }
        void TransferFromControls() override { Dialog.TransferFromControls(); }
        void UpdateControlStates() override { Dialog.UpdateControlStates(); }
        void FocusControl(int controlId) override;
        void SetDisplayValue(int32_t value, bool blankLeading, bool blankZero) override;
        void RestartTick(int firstDelayMs) override;

    private:
        TDialogKD& Dialog;
    };

    void FillLists();
    void CreateControls();
    void SetEnabled(int id, bool enabled);

    // Event table handlers.
    void EvBoardChanged() { OpenBoard(); }
    void EvFunction(int id) { Functions.DoCommand(id); }
    void EvPushButton(int id);
    void EvDisplayType() { Functions.OnDisplayTypeChanged(); }
    void EvStartTime() { Functions.OnStartTimeChanged(); }
    void EvInitialNumber() { Functions.OnInitialNumberChanged(); }
    void EvInLoop();
    void EvBrowse() { BrowseSound(); }
    void EvTimer() { Functions.OnTimerTick(); }

    static const TEventTable<TDialogKD>& EventTable();

    TProgramObjects& Program;
    TSettingsRecord& Settings;
    int SplashTime;
    THost Host;
    TDriverBoard Board;
    TTimingFunctions Functions;

    TEditCombo* DisplayTypeCombo = nullptr;
    TEditTemps* StartTimeField = nullptr;
    TEditTemps* SecondStartTimeField = nullptr;
    TEditNum* InitialNumberField = nullptr;
    TAffDigital* Display = nullptr;
    TEditCheck* InLoopBox = nullptr;
    TEditAlpha* SoundFileField = nullptr;
    TDecButton* Button106 = nullptr;
    TDecButton* Button107 = nullptr;
};
