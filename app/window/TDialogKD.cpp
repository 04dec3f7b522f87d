#include "app/window/TDialogKD.h"

#include "app/settings/SettingsStore.h"
#include "app/window/LineTitle.h"
#include "app/window/MainDialogTemplate.h"
#include "app/window/TPortsWatch.h"
#include "app/window/TPushKeys.h"
#include "app/window/TSocketCommands.h"
#include "resources/Pictures.h"
#include "scoreboard/Tick.h"
#include "serial/PortAssign.h"
#include "serial/PortNames.h"
#include "serial/TSerial.h"
#include "toolkit/TAffDigital.h"
#include "toolkit/TDecButton.h"
#include "toolkit/TDecGroupBox.h"
#include "toolkit/TEditAlpha.h"
#include "toolkit/TEditCheck.h"
#include "toolkit/TEditCombo.h"
#include "toolkit/TEditNum.h"
#include "toolkit/TEditRadio.h"
#include "toolkit/TEditTemps.h"
#include "toolkit/TFileNameText.h"
#include "windows/TCopyRight.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <algorithm>
#include <chrono>
#include <cstring>

namespace {

constexpr int DisplayDigits = 9;
constexpr int DisplayX = 19;
constexpr int DisplayY = 287;

constexpr int CancelCommand = 2; // Escape

QString AskForWavFile(QWidget* parent) {
    // getOpenFileName only accepts a file that exists.
    return QFileDialog::getOpenFileName(parent, QString(), QString(), "Fichiers WAV (*.wav)");
}

} // namespace

TDialogKD::TDialogKD(TProgramObjects& program, TClock& clock, TSoundPlayer& sound, int splashTimeMs)
    : TWinDialog(nullptr, MainDialogTemplate()), ChooseSoundFile(AskForWavFile), Program(program),
      Settings(program.Settings), SplashTime(splashTimeMs), Host(*this), Board(program.Driver),
      Functions(program.Settings, Host, Board, clock, sound),
      RunKeeper(program.Settings, Functions, clock, WallClock) {
    Functions.OnRunChanged = [this] { RunKeeper.Changed(); };
    FillLists();
    CreateControls();
    new TPushKeys(*this);
    LoadSettings(Program.SettingsFile, Settings, SettingsFileName);
}

TDialogKD::~TDialogKD() {
    PortsWatch.reset();
    Commands.reset();
    KillTimer(TickTimerId);
}

void TDialogKD::FillLists() {
    FillComboData(Program.DisplayTypeList,
                  {"Horloge PC", "hhmmss", "Secondes", "Minutes", "Heures", "Jours"});
    FillComboData(Program.BoardTypeList, {"Aucun", "TAG Heuer HL960/990 - Prg 000 (info)"});
    Program.PortList.Clear();
    for (int code = 0;; ++code) {
        const char* name = TSerial::PortName(code, false);
        if (name == nullptr)
            break;
        Program.PortList.AddString(name, true);
    }
}

void TDialogKD::CreateControls() {
    Button106 = new TDecButton(this, IdStart, picture::Start);
    Button107 = new TDecButton(this, IdStop, picture::Stop);
    auto* reset = new TDecButton(this, IdReset, picture::Reset);
    Button106->setToolTip(PushKeyTip(IdStart));
    Button107->setToolTip(PushKeyTip(IdStop));
    reset->setToolTip(PushKeyTip(IdReset));
    new TDecButton(this, IdBrowse, picture::Browse);

    for (int id : {IdScoreboardBox, IdFunctionsBox, IdDisplayBox, IdSoundBox})
        GroupBoxList.Add(new TDecGroupBox(this, id));

    ComboList.Add(new TEditCombo(this, IdBoardType, &Settings.boardType, &Program.BoardTypeList,
                                 TEditCombo::ModeCompact));
    ComboList.Add(new TEditCombo(this, IdPort, &Settings.portCode, &Program.PortList,
                                 TEditCombo::ModeCompact));

    RadioList.Add(new TEditRadio(this, IdCountUp, &Settings.functionCode, FunctionCountUp));
    RadioList.Add(new TEditRadio(this, IdCountDown, &Settings.functionCode, FunctionCountDown));
    RadioList.Add(new TEditRadio(this, IdTest, &Settings.functionCode, FunctionTest));
    RadioList.Add(new TEditRadio(this, IdLapCounter, &Settings.functionCode, FunctionLapCounter));

    DisplayTypeCombo = new TEditCombo(this, IdDisplayType, &Settings.displayType,
                                      &Program.DisplayTypeList, TEditCombo::ModeCompact);
    ComboList.Add(DisplayTypeCombo);

    StartTimeField = new TEditTemps(this, IdStartTime, &Settings.startTime, "hhmmss");
    TempsList.Add(StartTimeField);
    SecondStartTimeField =
        new TEditTemps(this, IdSecondStartTime, &Settings.secondStartTime, "hhmmss");
    TempsList.Add(SecondStartTimeField);

    InitialNumberField =
        new TEditNum(this, IdInitialNumber, &Settings.initialNumber, 9, 0, 0, 999999999);
    NumList.Add(InitialNumberField);

    InLoopBox = new TEditCheck(this, IdInLoop, &Settings.inLoop);
    CheckList.Add(InLoopBox);

    SoundFileField = new TEditAlpha(this, IdSoundFile, Settings.soundFile,
                                    static_cast<int>(SoundFileSize), 1, TTextEncoding::FileName);
    AlphaList.Add(SoundFileField);

    Display = new TAffDigital(this, IdDigitalDisplay, DisplayX, DisplayY, DisplayDigits, 0);
}

void TDialogKD::StartUp() {
    {
        TCopyRight about(this, 310, 160, "Kadrant", "1e", "11-06-2004", CopyrightLine, "",
                         picture::About, SplashTime);
        about.Execute();
    }
    // Closed during the splash (a stop signal): the record is saved, nothing more is set up.
    if (IsClosing())
        return;
    TWinDialog::StartUp();
    // The template's panel picture is created after the display; the display goes on top.
    Display->raise();
    ReadSettingsAgain(Program.SettingsFile, Settings);
    TransferToControls();
    UpdateControlStates();
    SetTimer(TickTimerId, TickPeriodMs);
    TransferToControls();
    // Adapters get their numbers as they are plugged in; opening the list looks again anyway
    // (where the file system cannot be watched, that is the only look).
    PortsWatch = std::make_unique<TPortsWatch>(
        Program.DeviceWatch, PortRoots,
        [this](const std::vector<serialports::TComPort>& ports) { ShowPorts(ports); });
    if (auto* ports = qobject_cast<TEditCombo*>(Control(IdPort)))
        ports->BeforePopup = [this] { ShowPorts(TPortsWatch::NumberAndDescribe(PortRoots)); };
    ShowPorts(TPortsWatch::NumberAndDescribe(PortRoots));
    if (Settings.portCode != 0)
        OpenBoard();
    // Last, so that the board shows the run taken back rather than the opening's blanks.
    if (RunKeeper.TakeOver()) {
        TransferToControls();
        UpdateControlStates();
        ShowLineStatus();
    }
}

void TDialogKD::ShowPorts(const std::vector<serialports::TComPort>& described) {
    auto* ports = qobject_cast<TEditCombo*>(Control(IdPort));
    if (ports == nullptr)
        return;
    // The texts stay the list's own; a plug and a tooltip say which numbers lead to a device.
    for (const serialports::TComPort& port : described) {
        const bool plug = port.Present || port.Adapter;
        ports->SetItemDecoration(QString::fromStdString(portnames::ComName(port.Number)),
                                 plug ? KadrantPlugIcon(port.Present) : QIcon(),
                                 QString::fromStdString(port.Description));
    }
    // An adapter plugged in or out changes the title's hint, not the line's status.
    ShowLineStatus(&described);
}

void TDialogKD::SetEnabled(int id, bool enabled) {
    if (QWidget* control = Control(id))
        control->setEnabled(enabled);
}

void TDialogKD::UpdateControlStates() {
    const int display = Settings.displayType;
    bool typeOn = false, startOn = false, secondOn = false, numberOn = false, loopOn = false,
         soundOn = false;
    int firstPicture = picture::Start, secondPicture = picture::Stop;
    switch (Settings.functionCode) {
    case FunctionNone:
        firstPicture = secondPicture = 0; // the faces stay as they are
        break;
    case FunctionCountUp:
        typeOn = true;
        startOn = display == DisplayHhmmss;
        numberOn = display != DisplayPcClock && display != DisplayHhmmss;
        break;
    case FunctionCountDown:
        typeOn = true;
        startOn = secondOn = display == DisplayHhmmss;
        numberOn = display != DisplayHhmmss;
        loopOn = soundOn = true;
        break;
    case FunctionTest:
        break;
    case FunctionLapCounter:
        firstPicture = picture::Plus;
        secondPicture = picture::Minus;
        numberOn = true;
        break;
    default:
        return; // an unknown function code leaves everything as it is
    }
    Button106->SetGlyph(firstPicture);
    Button107->SetGlyph(secondPicture);
    Button106->update();
    Button107->update();
    SetEnabled(IdDisplayType, typeOn);
    SetEnabled(IdStartTime, startOn);
    SetEnabled(IdSecondStartTime, secondOn);
    SetEnabled(IdInitialNumber, numberOn);
    SetEnabled(IdInLoop, loopOn);
    SetEnabled(IdSoundFile, soundOn);
}

void TDialogKD::OpenBoard() {
    if (Updating)
        return;
    TransferFromControls();
    TScbDriver& driver = Program.Driver;
    driver.Close();
    if (Settings.boardType == 1)
        driver.Setup(TScbDriver::BoardLineMessage, Settings.portCode);
    else
        driver.Setup(TScbDriver::BoardNone, 0);
    // The driver catches the board up itself: blank lines, then what the window shows.
    driver.Open();
    ShowLineStatus();
}

void TDialogKD::ShowLineStatus(const std::vector<serialports::TComPort>* ports) {
    const TLineStatus status = Program.Driver.GetLineStatus();
    const std::string& runNote = RunKeeper.TitleNote();
    if (status == ShownLineStatus && runNote == ShownRunNote && ports == nullptr)
        return;
    ShownLineStatus = status;
    ShownRunNote = runNote;
    // Only in trouble is the file system read for a hint: the title changes rarely.
    std::string hint;
    if (IsLineTrouble(status)) {
        const int chosen = Program.Driver.GetPortCode();
        hint = ports != nullptr ? serialports::AdapterHint(chosen, *ports)
                                : serialports::AdapterHint(chosen, PortRoots);
        if (!hint.empty())
            hint = "(" + hint + ")";
    }
    const char* port = TSerial::PortName(Program.Driver.GetPortCode(), true);
    // The line's trouble first: it asks for the operator's hand, the note only informs.
    std::string title = LineTitle(port, status, hint);
    if (!runNote.empty())
        title += " - " + runNote;
    window()->setWindowTitle(QString::fromStdString(title));
}

void TDialogKD::BrowseSound() {
    const QString chosen = ChooseSoundFile ? ChooseSoundFile(this) : QString();
    if (chosen.isEmpty())
        return;
    // At most 255 bytes, cut between characters, and the terminator; the rest stays zero.
    CopyFileName(Settings.soundFile, SoundFileSize, chosen);
    SoundFileField->ShowValue();
}

bool TDialogKD::QueryClose() {
    TransferFromControls();

    // Where the frame stands when restored: its top-left corner is what the next start uses.
    const QWidget* frame = window();
    TPlacementValues placement;
    QRect normal = frame->frameGeometry();
    if (frame->isMinimized() || frame->isMaximized()) {
        const QPoint decoration = frame->geometry().topLeft() - frame->frameGeometry().topLeft();
        const QRect restored = frame->normalGeometry();
        if (restored.isValid())
            normal = QRect(restored.topLeft() - decoration, frame->frameGeometry().size());
        placement.showState = frame->isMinimized() ? ShowMinimized : ShowMaximized;
    }
    placement.left = normal.left();
    placement.top = normal.top();
    placement.right = normal.left() + normal.width();
    placement.bottom = normal.top() + normal.height();
    SaveSettings(Program.SettingsFile, Settings, placement);
    RunKeeper.CloseCleanly();

    Program.Driver.Close();
    if (Commands)
        Commands->Close();
    return true;
}

QString TDialogKD::Press(int controlId) {
    auto* control = qobject_cast<QAbstractButton*>(Control(controlId));
    if (control == nullptr)
        return "no such control";
    // While a message box is open the window takes no click either.
    if (QApplication::activeModalWidget() != nullptr)
        return "a message is open in the window";
    if (auto* field = qobject_cast<TEditNum*>(focusWidget())) {
        const QString message = field->RangeMessage();
        if (!message.isEmpty()) {
            field->CheckRange();
            return message;
        }
    }
    if (!control->isEnabled())
        return "the control is disabled";
    control->click();
    return {};
}

bool TDialogKD::OpenControlSocket() {
    if (!Commands)
        Commands = std::make_unique<TSocketCommands>(*this, Program);
    return Commands->Listen();
}

void TDialogKD::EvPushButton(int id) {
    Functions.SelectFirstStartTime();
    Functions.DoCommand(id);
}

void TDialogKD::EvInLoop() {
    if (Updating)
        return;
    TransferFromControls();
    RunKeeper.Changed(); // whether a count-down loops at zero
}

const TEventTable<TDialogKD>& TDialogKD::EventTable() {
    using T = TDialogKD;
    static const TEventTable<TDialogKD> table{
        {TNotify::SelectionChanged, IdBoardType, &T::EvBoardChanged},
        {TNotify::SelectionChanged, IdPort, &T::EvBoardChanged},
        {TNotify::Clicked, IdCountUp, &T::EvFunction},
        {TNotify::Clicked, IdCountDown, &T::EvFunction},
        {TNotify::Clicked, IdTest, &T::EvFunction},
        {TNotify::Clicked, IdLapCounter, &T::EvFunction},
        {TNotify::SelectionChanged, IdDisplayType, &T::EvDisplayType},
        {TNotify::TextChanged, IdStartTime, &T::EvStartTime},
        {TNotify::TextChanged, IdSecondStartTime, &T::EvStartTime},
        {TNotify::TextChanged, IdInitialNumber, &T::EvInitialNumber},
        {TNotify::Clicked, IdInLoop, &T::EvInLoop},
        {TNotify::Clicked, IdStart, &T::EvPushButton},
        {TNotify::Clicked, IdStop, &T::EvPushButton},
        {TNotify::Clicked, IdReset, &T::EvPushButton},
        {TNotify::Clicked, IdBrowse, &T::EvBrowse},
        {TNotify::Clicked, CancelCommand, &T::EvCancel},
        {TNotify::Timer, AnyId, &T::EvTimer},
    };
    return table;
}

bool TDialogKD::Dispatch(TNotify kind, int id) {
    return EventTable().Dispatch(*this, kind, id) || TWinDialog::Dispatch(kind, id);
}

void TDialogKD::THost::FocusControl(int controlId) {
    if (QWidget* control = Dialog.Control(controlId))
        control->setFocus();
}

// The display shows the board's own text for the value, so the two never disagree.
void TDialogKD::THost::SetDisplayValue(int32_t value, bool blankLeading, bool blankZero) {
    Dialog.Display->SetText(value, DisplayText(value, blankLeading, blankZero).data());
}

void TDialogKD::THost::RestartTick(int firstDelayMs) {
    Dialog.SetTimer(TickTimerId, TickPeriodMs, firstDelayMs);
    // The sending thread looks at its queue just after the ticks: a text queued by a tick then
    // goes out a few milliseconds later rather than up to a pacing period later.
    Dialog.Program.Driver.AlignLooks(std::chrono::steady_clock::now() +
                                     std::chrono::milliseconds(firstDelayMs));
}
