// A demo of the toolkit: the main dialog's template with its bound controls, in a frame window,
// the digital display showing a time. Used for the toolkit's screenshot.
#include "app/timing/TMainControls.h"
#include "app/window/MainDialogTemplate.h"
#include "resources/Pictures.h"
#include "toolkit/TAffDigital.h"
#include "toolkit/TDecButton.h"
#include "toolkit/TDecGroupBox.h"
#include "toolkit/TEditAlpha.h"
#include "toolkit/TEditCheck.h"
#include "toolkit/TEditCombo.h"
#include "toolkit/TEditNum.h"
#include "toolkit/TEditRadio.h"
#include "toolkit/TEditTemps.h"
#include "toolkit/TFrameWindow.h"
#include "toolkit/TWinDialog.h"

#include <QApplication>
#include <QTimer>
#include <cstdint>
#include <string>

namespace {

struct TDemoValues {
    int Board = 1, Port = 1, Function = 2, Display = 1, InLoop = 1;
    int32_t Start = (1 * 3600 + 30 * 60) * 1000, SecondStart = 45 * 60 * 1000, Initial = 0;
    char Sound[256] = "/usr/share/sounds/alarm.wav";
};

class TDemoDialog : public TWinDialog {
public:
    TDemoDialog() : TWinDialog(nullptr, MainDialogId) {
        FillComboData(Boards, {"Aucun", "TAG Heuer HL960/990 - Prg 000 (info)"});
        FillComboData(Displays, {"Horloge PC", "hhmmss", "Secondes", "Minutes", "Heures", "Jours"});
        Ports.AddString("N.C.");
        for (int code = 1; code <= 26; ++code)
            Ports.AddString(("Com" + std::to_string(code)).c_str());

        new TDecButton(this, IdStart, picture::Start);
        new TDecButton(this, IdStop, picture::Stop);
        new TDecButton(this, IdReset, picture::Reset);
        new TDecButton(this, IdBrowse, picture::Browse);
        for (int id : {IdScoreboardBox, IdFunctionsBox, IdDisplayBox, IdSoundBox})
            GroupBoxList.Add(new TDecGroupBox(this, id));
        ComboList.Add(
            new TEditCombo(this, IdBoardType, &Values.Board, &Boards, TEditCombo::ModeCompact));
        ComboList.Add(new TEditCombo(this, IdPort, &Values.Port, &Ports, TEditCombo::ModeCompact));
        RadioList.Add(new TEditRadio(this, IdCountUp, &Values.Function, 1));
        RadioList.Add(new TEditRadio(this, IdCountDown, &Values.Function, 2));
        RadioList.Add(new TEditRadio(this, IdTest, &Values.Function, 3));
        RadioList.Add(new TEditRadio(this, IdLapCounter, &Values.Function, 4));
        ComboList.Add(new TEditCombo(this, IdDisplayType, &Values.Display, &Displays,
                                     TEditCombo::ModeCompact));
        TempsList.Add(new TEditTemps(this, IdStartTime, &Values.Start, "hhmmss"));
        TempsList.Add(new TEditTemps(this, IdSecondStartTime, &Values.SecondStart, "hhmmss"));
        NumList.Add(new TEditNum(this, IdInitialNumber, &Values.Initial, 9, 0, 0, 999999999));
        CheckList.Add(new TEditCheck(this, IdInLoop, &Values.InLoop));
        AlphaList.Add(new TEditAlpha(this, IdSoundFile, Values.Sound, 256, 1));
        Display = new TAffDigital(this, IdDigitalDisplay, 19, 287, 9, 0);
    }

protected:
    void StartUp() override {
        TWinDialog::StartUp();
        TransferToControls();
        Control(IdInitialNumber)->setEnabled(false);
        Display->SetValue(13000, true, false); // 1:30:00 as hhmmss
    }

private:
    TDemoValues Values;
    TComboBoxData Boards, Ports, Displays;
    TAffDigital* Display;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    auto* dialog = new TDemoDialog;
    TFrameWindow frame(dialog, QStringLiteral("Kadrant"));
    frame.setWindowIcon(KadrantIcon(picture::WindowIcon));
    frame.move(40, 40);
    frame.show();
    // --quit-after MS ends the demo by itself (for screenshots).
    const QStringList args = app.arguments();
    const qsizetype at = args.indexOf(QStringLiteral("--quit-after"));
    if (at >= 0 && at + 1 < args.size())
        QTimer::singleShot(args[at + 1].toInt(), &app, &QApplication::quit);
    return app.exec();
}
