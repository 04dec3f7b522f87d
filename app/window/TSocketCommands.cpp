#include "app/window/TSocketCommands.h"

#include "app/window/TDialogKD.h"
#include "control/RemoteReply.h"
#include "toolkit/TAffDigital.h"

#include <array>

namespace {

std::string ListEntry(const TComboBoxData& list, int32_t index) {
    if (index < 0 || static_cast<std::size_t>(index) >= list.Strings.size())
        return {};
    return list.Strings[static_cast<std::size_t>(index)];
}

// The record's function codes, their names on the control socket and the controls that choose them.
struct TFunctionControl {
    int32_t Code;
    TRemoteFunction Function;
    int Control;
};

constexpr std::array<TFunctionControl, 4> FunctionControls{{
    {FunctionCountUp, TRemoteFunction::CountUp, IdCountUp},
    {FunctionCountDown, TRemoteFunction::CountDown, IdCountDown},
    {FunctionTest, TRemoteFunction::Test, IdTest},
    {FunctionLapCounter, TRemoteFunction::Lap, IdLapCounter},
}};

int ControlOfFunction(TRemoteFunction function) {
    for (const TFunctionControl& entry : FunctionControls) {
        if (entry.Function == function)
            return entry.Control;
    }
    return 0;
}

TRemoteFunction FunctionOfCode(int32_t code) {
    for (const TFunctionControl& entry : FunctionControls) {
        if (entry.Code == code)
            return entry.Function;
    }
    return TRemoteFunction::None;
}

} // namespace

TSocketCommands::TSocketCommands(TDialogKD& dialog, TProgramObjects& program)
    : Dialog(dialog), Program(program), Socket(MakeControlChannel(*this)) {}

std::string TSocketCommands::Execute(const TRemoteCommand& command) {
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
        control = ControlOfFunction(command.Function);
        break;
    case TRemoteVerb::State:
    case TRemoteVerb::Watch:
        break;
    }
    if (control == 0)
        return ErrorReply("unknown command");
    const QString refused = Dialog.Press(control, TDialogKD::TPresser::Socket);
    if (refused.isEmpty())
        return std::string(OkReply);
    return ErrorReply("refused: " + refused.toStdString());
}

TRemoteState TSocketCommands::State() {
    const TSettingsRecord& settings = Program.Settings;
    TRemoteState state;
    state.Function = RemoteFunctionName(FunctionOfCode(settings.functionCode));
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
