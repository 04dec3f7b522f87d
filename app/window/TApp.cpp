#include "app/window/TApp.h"

#include "app/sound/SoundPlayer.h"
#include "app/window/TDialogKD.h"
#include "resources/Pictures.h"
#include "toolkit/TFrameWindow.h"

#include <QDialog>

TApp::TApp(int& argc, char** argv) : Application(argc, argv), Sound(MakeSoundPlayer()) {}

TApp::~TApp() {
    // The window goes before the program-wide objects it points into.
    Signals.reset();
    Frame.reset();
}

void TApp::InitMainWindow() {
    // Before the window exists: the splash runs while the window is being shown.
    Signals = std::make_unique<TTerminationSignals>([this] { Stop(); });
    Dialog = new TDialogKD(Program, Clock, *Sound);
    Frame = std::make_unique<TFrameWindow>(Dialog, "Kadrant");
    const TWindowPlacement& placement = Program.Settings.placement;
    Frame->move(placement.normalPosition[0], placement.normalPosition[1]);
    Frame->setWindowIcon(KadrantIcon(picture::WindowIcon));
    Frame->show();
    Dialog->OpenControlSocket(); // says on stderr when the program runs without it
}

int TApp::Run() {
    // Closed during the splash (a stop, or the window's own close): there is no loop to run.
    if (Stopping || !Frame || !Frame->isVisible())
        return 0;
    return QApplication::exec();
}

void TApp::Stop() {
    if (Stopping)
        return;
    Stopping = true;
    // Marked first, so that a field left while the window goes shows no message.
    if (Dialog)
        Dialog->SetClosing(true);
    if (Frame)
        Frame->close();
    // Every other window that runs a loop of its own ends it: the range message box, the file
    // dialog, the splash.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window == Frame.get() || !window->isVisible())
            continue;
        if (auto* dialog = qobject_cast<QDialog*>(window))
            dialog->reject();
        else
            window->close();
    }
    QCoreApplication::exit(0);
    // The settings are saved by now. Should anything still hold the program (a native dialog
    // of the desktop, say), it ends all the same within a second of the stop, with the status
    // of a process that the signal ended.
    Program.Threads.StartLastResort();
}
