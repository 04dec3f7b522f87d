#include "app/TRemoteControl.h"

#include "app/TDialogKD.h"
#include "toolkit/TAffDigital.h"

namespace {

std::string ListEntry(const TComboBoxData& list, int32_t index) {
    if (index < 0 || static_cast<std::size_t>(index) >= list.Strings.size())
        return {};
    return list.Strings[static_cast<std::size_t>(index)];
}

int ControlOfFunction(int functionCode) {
    switch (functionCode) {
    case FunctionCountUp:
        return IdCountUp;
    case FunctionCountDown:
        return IdCountDown;
    case FunctionTest:
        return IdTest;
    case FunctionLapCounter:
        return IdLapCounter;
    default:
        return 0;
    }
}

} // namespace

TRemoteControl::TRemoteControl(TDialogKD& dialog, TProgramObjects& program)
    : Dialog(dialog), Program(program), Socket(*this, ControlSocketName) {}

std::string TRemoteControl::Execute(const TRemoteCommand& command) {
    int control = 0;
    switch (command.Verb) {
    case TRemoteVerb::Start:
    case TRemoteVerb::Plus:
        control = IdStart;
        break;
    case TRemoteVerb::Stop:
    case TRemoteVerb::Minus:
        control = IdStop;
        break;
    case TRemoteVerb::Reset:
        control = IdReset;
        break;
    case TRemoteVerb::Function:
        control = ControlOfFunction(command.FunctionCode);
        break;
    case TRemoteVerb::State:
    case TRemoteVerb::Watch:
        break;
    }
    if (control == 0)
        return "error unknown command";
    const QString refused = Dialog.Press(control);
    if (refused.isEmpty())
        return "ok";
    return "error refused: " + refused.toStdString();
}

TRemoteState TRemoteControl::State() {
    const TSettingsRecord& settings = Program.Settings;
    TRemoteState state;
    state.Function = RemoteFunctionName(settings.functionCode);
    state.Display = ListEntry(Program.DisplayTypeList, settings.displayType);
    state.Running = Dialog.Timing().State.running;
    state.Line1 = Dialog.DigitalDisplay()->Text();
    state.Lap = settings.lapNumber;
    // The watchdog's view of the line, as the window's title shows it.
    const TLineStatus line = Program.Driver.GetLineStatus();
    state.Line = LineStatusName(line);
    state.Reason = LineStatusReason(line);
    state.Board = ListEntry(Program.BoardTypeList, settings.boardType);
    state.Port = ListEntry(Program.PortList, settings.portCode);
    return state;
}
