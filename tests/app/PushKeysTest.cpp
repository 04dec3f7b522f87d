// The push buttons' keys on the real main window: each key sends what the click sends, a number
// field out of range stops it with its message, a held key presses once, and Escape does nothing.
#include "tests/support/MainWindowFixture.h"

#include "app/window/TPushKeys.h"
#include "tests/toolkit/ToolkitTestSupport.h"
#include "toolkit/TDecButton.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <vector>

namespace mainwindow {
namespace {

struct TKeyRow {
    const char* Name;
    int Function;                   // the radio button clicked first
    std::vector<Qt::Key> Keys;      // pressed in turn, the focus on the function's button
    std::vector<const char*> Line1; // what the board's line 1 receives, in order
    bool RunningAfter;
    int32_t LapAfter;
};

class PushKeys : public MainWindow, public testing::WithParamInterface<TKeyRow> {};

TEST_P(PushKeys, EachKeySendsWhatItsButtonSends) {
    const TKeyRow& row = GetParam();
    Start();
    DrainOpening(Com1);
    Click(row.Function);
    Com1.ReadUntilQuiet(300); // what choosing the function sends

    std::string expected;
    for (const char* text : row.Line1)
        expected += LineMessage('0', text);
    for (Qt::Key key : row.Keys)
        QTest::keyClick(QApplication::focusWidget(), key);

    EXPECT_EQ(Com1.ReadBytes(expected.size()), expected);
    EXPECT_EQ(Com1.ReadUntilQuiet(300), "");
    EXPECT_EQ(Dialog->Timing().State.running, row.RunningAfter);
    EXPECT_EQ(Program.Settings.lapNumber, row.LapAfter);
    EXPECT_TRUE(Frame->isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    KeyTable, PushKeys,
    testing::Values(
        TKeyRow{"LapPageDownAndUp",
                IdLapCounter,
                {Qt::Key_PageDown, Qt::Key_PageDown, Qt::Key_PageDown, Qt::Key_PageUp},
                {"        1", "        2", "        3", "        2"},
                false,
                2},
        TKeyRow{"LapF5F6F7",
                IdLapCounter,
                {Qt::Key_F5, Qt::Key_F5, Qt::Key_F6, Qt::Key_F5, Qt::Key_F7},
                {"        1", "        2", "        1", "        2", "        0"},
                false,
                0},
        // "hhmmss" from zero: RESET and START send the start value, STOP only stops.
        TKeyRow{"CountUpResetStartStop",
                IdCountUp,
                {Qt::Key_F7, Qt::Key_F5, Qt::Key_F6},
                {"        0", "        0"},
                false,
                0},
        TKeyRow{"CountUpPageDownStarts", IdCountUp, {Qt::Key_PageDown}, {"        0"}, true, 0},
        TKeyRow{"TestResetThenStart", IdTest, {Qt::Key_F7, Qt::Key_F5}, {"000000000"}, true, 0}),
    [](const testing::TestParamInfo<TKeyRow>& row) { return std::string(row.param.Name); });

struct TKeyCase {
    const char* Name;
    Qt::Key Key;
    Qt::KeyboardModifiers Modifiers;
    int Control; // 0: left to the focused control
};

class KeyMap : public testing::TestWithParam<TKeyCase> {};

// The keypad's Page Down and Page Up (NumLock off) carry the keypad flag and are still the bare
// keys; Ctrl, Alt or Shift leave a key to the focused control.
TEST_P(KeyMap, PressesItsButtonOnlyAsTheBareKey) {
    EXPECT_EQ(PushKeyControl(GetParam().Key, GetParam().Modifiers), GetParam().Control);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyMap,
    testing::Values(TKeyCase{"KeypadPageDown", Qt::Key_PageDown, Qt::KeypadModifier, IdStart},
                    TKeyCase{"KeypadPageUp", Qt::Key_PageUp, Qt::KeypadModifier, IdStop},
                    TKeyCase{"F7", Qt::Key_F7, Qt::NoModifier, IdReset},
                    TKeyCase{"ShiftPageDown", Qt::Key_PageDown, Qt::ShiftModifier, 0},
                    TKeyCase{"CtrlF5", Qt::Key_F5, Qt::ControlModifier, 0}),
    [](const testing::TestParamInfo<TKeyCase>& row) { return std::string(row.param.Name); });

TEST_F(MainWindow, TooltipsNameTheKeys) {
    Start();
    EXPECT_EQ(Dialog->FirstButton()->toolTip(), "F5, Page Down");
    EXPECT_EQ(Dialog->SecondButton()->toolTip(), "F6, Page Up");
    EXPECT_EQ(Ctl(IdReset)->toolTip(), "F7");
}

// Every message on the line is the one already on it (the field showing its value again resends
// it, as after a click); an empty string passes.
void ExpectOnlyRepeats(const std::string& bytes, const std::string& last) {
    ASSERT_EQ(bytes.size() % last.size(), 0u);
    for (std::size_t at = 0; at < bytes.size(); at += last.size())
        EXPECT_EQ(bytes.substr(at, last.size()), last);
}

TEST_F(MainWindow, KeyInAnOutOfRangeNumberFieldGivesTheRangeMessageOnly) {
    TAlertCatcher alerts;
    Start();
    DrainOpening(Com1);
    Click(IdLapCounter);
    Com1.ReadUntilQuiet(300);
    Ctl<QLineEdit>(IdInitialNumber)->clear();
    Type(IdInitialNumber, "9999999999");
    const std::string typed = Com1.ReadUntilQuiet(300);
    ASSERT_GE(typed.size(), 17u);
    const std::string shown = typed.substr(typed.size() - 17);
    const int32_t lap = Program.Settings.lapNumber;

    QTest::keyClick(Ctl(IdInitialNumber), Qt::Key_PageDown);

    ASSERT_EQ(alerts.Messages.size(), 1u);
    EXPECT_EQ(alerts.Messages[0].Text, "La Saisie n'est pas comprise entre 0 et 999999999");
    EXPECT_EQ(alerts.Beeps, 1);
    EXPECT_EQ(QApplication::focusWidget(), Ctl(IdInitialNumber));
    EXPECT_EQ(Program.Settings.lapNumber, lap);
    ExpectOnlyRepeats(Com1.ReadUntilQuiet(300), shown);

    // A number in range again: the key counts.
    Ctl<QLineEdit>(IdInitialNumber)->clear();
    Type(IdInitialNumber, "5");
    Com1.ReadUntilQuiet(300);
    QTest::keyClick(Ctl(IdInitialNumber), Qt::Key_PageDown);
    EXPECT_EQ(alerts.Messages.size(), 1u);
    EXPECT_EQ(Com1.ReadBytes(17), LineMessage('0', "        6"));
}

// How the system reports a held key: presses marked as repeats; plain presses with no release
// between them (X servers with detectable auto-repeat); release-press pairs carrying one time
// stamp (X servers without it).
enum class THeld { MarkedRepeats, PlainPresses, ReleasePressPairs };

class HeldKey : public MainWindow, public testing::WithParamInterface<THeld> {};

TEST_P(HeldKey, PressesOnceUntilReleased) {
    const THeld held = GetParam();
    Start();
    DrainOpening(Com1);
    Click(IdLapCounter);
    Com1.ReadUntilQuiet(300);
    QWidget* focused = QApplication::focusWidget();
    ASSERT_NE(focused, nullptr);

    auto send = [focused](QEvent::Type type, bool repeat, quint64 time) {
        QKeyEvent event(type, Qt::Key_PageDown, Qt::NoModifier, QString(), repeat);
        event.setTimestamp(time);
        QApplication::sendEvent(focused, &event);
    };
    quint64 time = 1000;
    send(QEvent::KeyPress, false, time);
    for (int i = 0; i < 4; ++i) {
        time += 40;
        if (held == THeld::ReleasePressPairs)
            send(QEvent::KeyRelease, false, time);
        send(QEvent::KeyPress, held == THeld::MarkedRepeats, time);
    }
    send(QEvent::KeyRelease, false, time += 40);
    EXPECT_EQ(Com1.ReadBytes(17), LineMessage('0', "        1"));
    EXPECT_EQ(Com1.ReadUntilQuiet(300), "");
    EXPECT_EQ(Program.Settings.lapNumber, 1);

    // Released: the next press counts again.
    send(QEvent::KeyPress, false, time += 150);
    send(QEvent::KeyRelease, false, time += 80);
    EXPECT_EQ(Com1.ReadBytes(17), LineMessage('0', "        2"));
}

std::string HeldName(const testing::TestParamInfo<THeld>& info) {
    static const char* const names[] = {"MarkedRepeats", "PlainPresses", "ReleasePressPairs"};
    return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Repeats, HeldKey,
                         testing::Values(THeld::MarkedRepeats, THeld::PlainPresses,
                                         THeld::ReleasePressPairs),
                         HeldName);

TEST_F(MainWindow, EscapeLeavesTheWindowOpenAndChangesNothing) {
    Start();
    DrainOpening(Com1);
    Click(IdLapCounter);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
    Com1.ReadUntilQuiet(300);
    const std::string fileBefore = ReadFile(SettingsFileName);
    const TSettingsRecord before = Program.Settings;

    for (int id : {IdCountUp, IdInitialNumber, IdBoardType, IdStart}) {
        Ctl(id)->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(Ctl(id), Qt::Key_Escape);
        EXPECT_TRUE(Frame->isVisible()) << id;
    }

    EXPECT_EQ(Dialog->Result(), 0);
    EXPECT_EQ(std::memcmp(&before, &Program.Settings, sizeof before), 0);
    EXPECT_EQ(ReadFile(SettingsFileName), fileBefore);
    EXPECT_TRUE(Program.Driver.HasThread());
    EXPECT_EQ(Com1.ReadUntilQuiet(300), "");
}

} // namespace
} // namespace mainwindow
