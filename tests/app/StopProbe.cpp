// The program exactly as main() builds it, with a scripted operator that brings one thing on
// screen and then writes "ready" on standard output, for the stop-signal test to send its signal:
//   splash  the splash is up;
//   range   Lap counter, "Initial number" 1000000000, the range message is up;
//   browse  the sound-file dialog is up;
//   hold    the main window is up, and something keeps the program after its loop has ended.
#include "app/window/TApp.h"
#include "app/window/TDialogKD.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace {

void Ready() {
    std::puts("ready");
    std::fflush(stdout);
}

// Runs step once the main dialog's controls exist and its window is active.
void WhenSetUp(TApp& app, std::function<void(TDialogKD&)> step) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [&app, poll, step] {
        TDialogKD* dialog = app.MainDialog();
        if (!dialog || !dialog->Control(IdInitialNumber) || !dialog->isActiveWindow())
            return;
        poll->stop();
        poll->deleteLater();
        step(*dialog);
    });
    poll->start(20);
}

} // namespace

int main(int argc, char** argv) {
    const char* scene = argc > 1 ? argv[1] : "";
    TApp app(argc, argv);
    if (std::strcmp(scene, "splash") == 0) {
        // The first loop that runs is the splash's.
        QTimer::singleShot(0, Ready);
    } else if (std::strcmp(scene, "range") == 0) {
        WhenSetUp(app, [](TDialogKD& dialog) {
            qobject_cast<QAbstractButton*>(dialog.Control(IdLapCounter))->click();
            auto* field = qobject_cast<QLineEdit*>(dialog.Control(IdInitialNumber));
            field->setFocus();
            field->selectAll();
            QTest::keyClicks(field, "1000000000");
            QTimer::singleShot(0, Ready); // runs inside the message box
            dialog.Control(IdCountUp)->setFocus();
        });
    } else if (std::strcmp(scene, "browse") == 0) {
        WhenSetUp(app, [](TDialogKD& dialog) {
            QTimer::singleShot(0, Ready); // runs inside the file dialog
            qobject_cast<QAbstractButton*>(dialog.Control(IdBrowse))->click();
        });
    } else if (std::strcmp(scene, "hold") == 0) {
        WhenSetUp(app, [](TDialogKD&) { Ready(); });
    }
    app.InitMainWindow();
    const int status = app.Run();
    if (std::strcmp(scene, "hold") == 0) // a thread that never ends, a blocked call...
        std::this_thread::sleep_for(std::chrono::seconds(30));
    return status;
}
