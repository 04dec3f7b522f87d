// The main dialog: every input control bound to a field of the settings record, the digital
// display, the push buttons of the four timing functions, the board opened on the chosen port,
// and the settings saved when the window closes.
#pragma once

#include "app/driverboard/TDriverBoard.h"
#include "app/runstate/TRunKeeper.h"
#include "app/timing/TMainControls.h"
#include "app/timing/TTimingFunctions.h"
#include "app/window/TProgramObjects.h"
#include "serial/PortAssign.h"
#include "serial/TLineStatus.h"
#include "toolkit/TEventTable.h"
#include "toolkit/TWinDialog.h"

#include <QString>
#include <functional>
#include <memory>
#include <vector>

class TAffDigital;
class TDecButton;
class TEditAlpha;
class TEditCheck;
class TEditCombo;
class TEditNum;
class TEditTemps;
class TPortsWatch;
class TSocketCommands;

constexpr int TickTimerId = 101;
constexpr int SplashTimeMs = 2500;

class TDialogKD : public TWinDialog {
    Q_OBJECT

public:
    TDialogKD(TProgramObjects& program, TClock& clock, TSoundPlayer& sound,
              int splashTimeMs = SplashTimeMs);
    ~TDialogKD() override;

    void UpdateControlStates();
    void OpenBoard();
    // Puts the line's state in the frame's title when it changed since the last look. ports:
    // the ports as they are now, after an adapter or a link came or went; the title's adapter
    // hint may differ even if the status does not.
    void ShowLineStatus(const std::vector<serialports::TComPort>* ports = nullptr);
    void BrowseSound();
    bool QueryClose() override;

    TTimingFunctions& Timing() { return Functions; }
    TAffDigital* DigitalDisplay() const { return Display; }
    TDecButton* FirstButton() const { return Button106; }
    TDecButton* SecondButton() const { return Button107; }

    // A key or a remote command pressing a push button or choosing a function: exactly what a
    // click on that control does. A number field holding a number out of its range keeps the
    // focus as it does against a click: its range message, and nothing else. Returns an empty
    // text when the control was pressed, else why not.
    QString Press(int controlId);

    // Opens the control socket beside "config.dat"; false when the program runs without it.
    bool OpenControlSocket();
    TSocketCommands* SocketCommands() const { return Commands.get(); }

    // Asks for a WAV file; an empty result means cancelled. Tests replace the file dialog.
    std::function<QString(QWidget* parent)> ChooseSoundFile;

    // Where USB serial adapters are looked for and the ComN links are kept; tests point it at a
    // fake device tree before the dialog starts.
    serialports::TPortRoots PortRoots;

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
    // Marks in the port list which numbers have a device, and what it is.
    void ShowPorts(const std::vector<serialports::TComPort>& ports);

    // Event table handlers.
    void EvBoardChanged() { OpenBoard(); }
    void EvFunction(int id) { Functions.DoCommand(id); }
    void EvPushButton(int id);
    void EvDisplayType() { Functions.OnDisplayTypeChanged(); }
    void EvStartTime() { Functions.OnStartTimeChanged(); }
    void EvInitialNumber() { Functions.OnInitialNumberChanged(); }
    void EvInLoop();
    void EvBrowse() { BrowseSound(); }
    void EvTimer() {
        Functions.OnTimerTick();
        ShowLineStatus();
    }
    // Escape: an operator's stray key must not close the window in the middle of an event.
    void EvCancel() {}

    static const TEventTable<TDialogKD>& EventTable();

    TProgramObjects& Program;
    TSettingsRecord& Settings;
    int SplashTime;
    THost Host;
    TDriverBoard Board;
    TTimingFunctions Functions;
    TSystemWallClock WallClock;
    TRunKeeper RunKeeper; // "kadrant.run": the run survives a crash

    TEditCombo* DisplayTypeCombo = nullptr;
    TEditTemps* StartTimeField = nullptr;
    TEditTemps* SecondStartTimeField = nullptr;
    TEditNum* InitialNumberField = nullptr;
    TAffDigital* Display = nullptr;
    TEditCheck* InLoopBox = nullptr;
    TEditAlpha* SoundFileField = nullptr;
    TDecButton* Button106 = nullptr;
    TDecButton* Button107 = nullptr;
    TLineStatus ShownLineStatus = TLineStatus::Off; // what the title says
    std::string ShownRunNote;                       // and what it adds about a run taken back
    std::unique_ptr<TSocketCommands> Commands;
    std::unique_ptr<TPortsWatch> PortsWatch;
};
