// The main window as the program builds it, on the offscreen platform: a temporary current
// directory with a real pseudo-terminal behind ports/Com1, the dialog inside its frame, a clock
// that never moves on its own and a sound player that only records. MainWindow drives it as the
// user does; faults::ProgramUnderFaults (tests/faults/FaultsFixture.h) builds on the same set-up.
#pragma once

#include "app/settings/SettingsStore.h"
#include "app/window/TDialogKD.h"
#include "tests/support/PtyLine.h"
#include "tests/support/TestBytes.h"
#include "tests/timing/TimingFakes.h"
#include "toolkit/TFrameWindow.h"

#include <QApplication>
#include <QRadioButton>
#include <QTest>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <optional>
#include <string>

namespace mainwindow {

using testbytes::BlankLines;
using testbytes::Int32At;
using testbytes::LineMessage;
using testbytes::ReadFile;

constexpr int ShortSplashMs = 50;
constexpr std::size_t BlankLinesSize = 9 * 17;

inline void WriteSettings(const TSettingsRecord& record) {
    std::ofstream out(SettingsFileName, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(&record), sizeof record);
}

inline TSettingsRecord FirstRunRecord() {
    TSettingsRecord record{};
    SetFirstRunValues(record);
    return record;
}

// The program's objects around the main dialog, torn down in the order the program needs.
class TProgramFixture : public testing::Test {
protected:
    ~TProgramFixture() override {
        if (!Frame)
            delete Dialog;
    }

    // Builds the dialog: this already loads (or creates) config.dat.
    void Build() { Dialog = new TDialogKD(Program, Clock, Sound, SplashMs); }

    // Frames the dialog where the settings say and shows it, which runs the splash and the
    // set-up; returns once the window is active so that focus and keys behave.
    void Start() {
        if (Dialog == nullptr)
            Build();
        Frame = std::make_unique<TFrameWindow>(Dialog, "Kadrant");
        const TWindowPlacement& placement = Program.Settings.placement;
        Frame->move(placement.normalPosition[0], placement.normalPosition[1]);
        Frame->show();
        Frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Frame.get()));
    }

    template <class T = QWidget> T* Ctl(int id) const {
        return qobject_cast<T*>(Dialog->Control(id));
    }

    bool Enabled(int id) const { return Ctl(id) != nullptr && Ctl(id)->isEnabled(); }

    // Types into a field as the user does: focus first, then the keys.
    void Type(int id, const char* keys) {
        QWidget* field = Ctl(id);
        field->setFocus(Qt::MouseFocusReason);
        QTest::keyClicks(field, keys);
    }

    int SplashMs = ShortSplashMs;
    // Declared in the order the program needs them torn down in reverse: the frame (and the
    // dialog it owns) first, then the driver and the settings file, the ports and the directory
    // last.
    testline::TTempWorkDir Dir;
    std::optional<testline::TPtyLine> Com1Line{std::in_place, 1};
    TProgramObjects Program;
    TFakeClock Clock;
    TRecordingSound Sound;
    std::unique_ptr<TFrameWindow> Frame;
    TDialogKD* Dialog = nullptr; // owned by Frame once started
};

class MainWindow : public TProgramFixture {
protected:
    // On a radio button or check box the click goes to the box, which a short caption leaves
    // far from the middle of the control.
    void Click(int id) {
        QWidget* control = Ctl(id);
        if (qobject_cast<QRadioButton*>(control))
            QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(6, control->height() / 2));
        else
            QTest::mouseClick(control, Qt::LeftButton);
    }

    // The line after start-up, with the blanking of the opening already read off.
    void DrainOpening(testline::TPtyLine& line) {
        ASSERT_EQ(line.ReadBytes(BlankLinesSize), BlankLines());
    }

    testline::TPtyLine& Com1 = *Com1Line;
};

} // namespace mainwindow
