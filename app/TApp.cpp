#include "app/TApp.h"

#include "app/TDialogKD.h"
#include "app/TQtSoundPlayer.h"
#include "resources/Pictures.h"
#include "toolkit/TFrameWindow.h"

namespace {
constexpr int WindowIcon = 10;
}

TApp::TApp(int& argc, char** argv)
    : Application(argc, argv), Sound(std::make_unique<TQtSoundPlayer>()) {}

TApp::~TApp() {
    // The window goes before the program-wide objects it points into.
    Signals.reset();
    Frame.reset();
}

void TApp::InitMainWindow() {
    Dialog = new TDialogKD(Program, Clock, *Sound);
    Frame = std::make_unique<TFrameWindow>(Dialog, "Kadrant");
    const TWindowPlacement& placement = Program.Settings.placement;
    Frame->move(placement.normalPosition[0], placement.normalPosition[1]);
    Frame->setWindowIcon(KadrantIcon(WindowIcon));
    Frame->show();
    Dialog->OpenControlSocket(); // says on stderr when the program runs without it
    // A stop from outside closes the window like the operator would, saving the settings.
    Signals = std::make_unique<TTerminationSignals>([this] {
        if (!Frame->close())
            QApplication::quit();
    });
}

int TApp::Run() {
    return QApplication::exec();
}
