// The application: the program-wide objects, the main dialog inside its frame window, and the
// message loop.
#pragma once

#include "app/timing/TClock.h"
#include "app/window/TProgramObjects.h"
#include "app/window/TTerminationSignals.h"

#include <QApplication>
#include <memory>

class TDialogKD;
class TFrameWindow;
class TSoundPlayer;

class TApp {
public:
    TApp(int& argc, char** argv);
    ~TApp();

    // Builds the main window, placed where the settings say, and shows it (which runs the
    // dialog's set-up: the splash, then the controls, the timer and the board). The stop
    // signals are taken over first, so that a stop during the splash saves the settings too.
    void InitMainWindow();
    int Run();

    // A stop from outside: the window closes as the operator would close it, saving the
    // settings, whatever else is on screen (a range message, the file dialog, the splash), and
    // the program ends.
    void Stop();

    TDialogKD* MainDialog() const { return Dialog; }
    TFrameWindow* MainWindow() const { return Frame.get(); }

private:
    QApplication Application;
    TProgramObjects Program;
    TSystemClock Clock;
    std::unique_ptr<TSoundPlayer> Sound;
    std::unique_ptr<TFrameWindow> Frame;
    std::unique_ptr<TTerminationSignals> Signals;
    TDialogKD* Dialog = nullptr; // owned by the frame
    bool Stopping = false;
};
