// The main window at work: board and port choices re-opening the board, the function pictures,
// the key Enter, the push buttons on the line, the sound-file browse, and the
// settings written at close.
#include "tests/support/MainWindowFixture.h"

#include "scoreboard/TScbDriver.h"
#include "toolkit/TAffDigital.h"
#include "toolkit/TDecButton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

namespace mainwindow {
namespace {

TEST_F(MainWindow, AucunSetsUpNoBoardWhateverThePort) {
    testline::TPtyLine com2(2);
    Start();
    DrainOpening(Com1);

    QTest::keyClick(Ctl(IdBoardType), Qt::Key_Up);
    EXPECT_EQ(Ctl<QComboBox>(IdBoardType)->currentText(), "Aucun");
    EXPECT_EQ(Program.Settings.boardType, 0);
    EXPECT_EQ(Program.Settings.portCode, 1);
    EXPECT_EQ(Program.Driver.GetBoardCode(), TScbDriver::BoardNone);
    EXPECT_FALSE(Program.Driver.HasThread());

    // Another port changes nothing while no board is chosen.
    QTest::keyClick(Ctl(IdPort), Qt::Key_Down);
    EXPECT_EQ(Program.Settings.portCode, 2);
    EXPECT_EQ(Program.Driver.GetBoardCode(), TScbDriver::BoardNone);
    EXPECT_FALSE(Program.Driver.HasThread());

    // The functions run on screen only.
    Click(IdLapCounter);
    EXPECT_EQ(Dialog->DigitalDisplay()->Text(), "        0");
    EXPECT_EQ(Com1.ReadUntilQuiet(400), "");
    EXPECT_EQ(com2.ReadUntilQuiet(100), "");

    // The board again: opened on the port now selected.
    QTest::keyClick(Ctl(IdBoardType), Qt::Key_Down);
    EXPECT_EQ(Program.Driver.GetBoardCode(), TScbDriver::BoardLineMessage);
    EXPECT_EQ(Program.Driver.GetPortCode(), 2);
    EXPECT_EQ(com2.ReadBytes(BlankLinesSize), BlankLines());
}

TEST_F(MainWindow, ChangingThePortWhileOpenReopensOnTheNewPort) {
    testline::TPtyLine com2(2);
    Start();
    DrainOpening(Com1);
    Click(IdLapCounter);
    ASSERT_EQ(Com1.ReadBytes(17), LineMessage('0', "        0"));

    QTest::keyClick(Ctl(IdPort), Qt::Key_Down);
    EXPECT_EQ(Ctl<QComboBox>(IdPort)->currentText(), "Com2");
    EXPECT_EQ(Program.Driver.GetPortCode(), 2);
    // Caught up at once: blanked, then the value the window shows.
    EXPECT_EQ(com2.ReadBytes(BlankLinesSize + 17), BlankLines() + LineMessage('0', "        0"));

    // The function goes on, and its next value goes to the new port only.
    Click(IdStart);
    EXPECT_EQ(com2.ReadBytes(17), LineMessage('0', "        1"));
    EXPECT_EQ(Com1.ReadUntilQuiet(300), "");
}

TEST_F(MainWindow, LapCounterTurnsTheButtonPicturesIntoPlusAndMinusAndBack) {
    Start();
    TDecButton* first = Dialog->FirstButton();
    TDecButton* second = Dialog->SecondButton();
    const QImage startFace = first->Glyph();

    Click(IdLapCounter);
    EXPECT_EQ(Program.Settings.functionCode, FunctionLapCounter);
    EXPECT_EQ(first->GlyphId(), 117);
    EXPECT_EQ(second->GlyphId(), 116);
    EXPECT_EQ(first->Glyph().size(), QSize(20, 19));
    EXPECT_NE(first->Glyph(), second->Glyph());
    EXPECT_TRUE(Enabled(IdInitialNumber));
    for (int id : {IdDisplayType, IdStartTime, IdSecondStartTime, IdInLoop, IdSoundFile})
        EXPECT_FALSE(Enabled(id)) << id;

    Click(IdCountDown);
    EXPECT_EQ(first->GlyphId(), 119);
    EXPECT_EQ(second->GlyphId(), 120);
    EXPECT_EQ(first->Glyph(), startFace);
    // Count-down with "hhmmss": both start times, loop and sound; no initial number.
    for (int id : {IdDisplayType, IdStartTime, IdSecondStartTime, IdInLoop, IdSoundFile})
        EXPECT_TRUE(Enabled(id)) << id;
    EXPECT_FALSE(Enabled(IdInitialNumber));

    Click(IdTest);
    for (int id :
         {IdDisplayType, IdStartTime, IdSecondStartTime, IdInitialNumber, IdInLoop, IdSoundFile})
        EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_EQ(first->GlyphId(), 119);
}

TEST_F(MainWindow, StartAfterResetInCountUpSendsTheStartValue) {
    Start();
    DrainOpening(Com1);
    Type(IdStartTime, "000130");
    EXPECT_EQ(Ctl<QLineEdit>(IdStartTime)->text(), "00:01:30.");

    Click(IdReset);
    EXPECT_EQ(Program.Settings.startTime, 90000);
    EXPECT_EQ(Com1.ReadBytes(17), LineMessage('0', "      130"));
    EXPECT_EQ(Dialog->DigitalDisplay()->Text(), "      130");

    Click(IdStart);
    EXPECT_TRUE(Dialog->Timing().State.running);
    EXPECT_EQ(Com1.ReadBytes(17), LineMessage('0', "      130"));
    EXPECT_EQ(Com1.ReadUntilQuiet(300), "");
}

TEST_F(MainWindow, EnterInTheStartTimeFieldChangesNothing) {
    Start();
    DrainOpening(Com1);
    const std::string fileBefore = ReadFile(SettingsFileName);
    const TSettingsRecord before = Program.Settings;

    Ctl(IdStartTime)->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(Ctl(IdStartTime), Qt::Key_Return);
    QTest::keyClick(Ctl(IdStartTime), Qt::Key_Enter);

    EXPECT_TRUE(Frame->isVisible());
    EXPECT_EQ(Dialog->Result(), 0);
    EXPECT_EQ(std::memcmp(&before, &Program.Settings, sizeof before), 0);
    EXPECT_EQ(ReadFile(SettingsFileName), fileBefore);
    EXPECT_TRUE(Program.Driver.HasThread());
    EXPECT_EQ(Com1.ReadUntilQuiet(300), "");
}

TEST_F(MainWindow, CloseStoresThePlacementAndTheControlValues) {
    Start();
    Frame->move(200, 150);
    Click(IdCountDown);
    Type(IdStartTime, "000245");
    Type(IdSecondStartTime, "000010");
    Click(IdInLoop);
    ASSERT_TRUE(Ctl<QCheckBox>(IdInLoop)->isChecked());

    Frame->close();
    EXPECT_FALSE(Frame->isVisible());
    EXPECT_FALSE(Program.SettingsFile.IsOpen());
    EXPECT_FALSE(Program.Driver.HasThread());

    const std::string bytes = ReadFile(SettingsFileName);
    ASSERT_EQ(bytes.size(), SettingsRecordSize);
    EXPECT_EQ(Int32At(bytes, 0), 44);
    EXPECT_EQ(Int32At(bytes, 8), static_cast<int32_t>(ShowNormal));
    EXPECT_EQ(Int32At(bytes, 28), 200);
    EXPECT_EQ(Int32At(bytes, 32), 150);
    EXPECT_EQ(Int32At(bytes, 44), 1); // port
    EXPECT_EQ(Int32At(bytes, 48), 1); // board type
    EXPECT_EQ(Int32At(bytes, 52), 2); // Count-down
    EXPECT_EQ(Int32At(bytes, 56), 1); // "hhmmss"
    EXPECT_EQ(Int32At(bytes, 60), 165000);
    EXPECT_EQ(Int32At(bytes, 64), 10000);
    EXPECT_EQ(Int32At(bytes, 80), 1); // In Loop
}

// Escape no longer closes (see the push-key tests); the frame's close goes through the same save.
TEST_F(MainWindow, FrameCloseSavesThePlaceAndTheFunction) {
    Start();
    Frame->move(180, 90);
    Click(IdTest);
    Frame->close();

    EXPECT_FALSE(Frame->isVisible());
    const std::string bytes = ReadFile(SettingsFileName);
    EXPECT_EQ(Int32At(bytes, 0), 44);
    EXPECT_EQ(Int32At(bytes, 28), 180);
    EXPECT_EQ(Int32At(bytes, 32), 90);
    EXPECT_EQ(Int32At(bytes, 52), 3);
}

TEST_F(MainWindow, BrowseSoundStoresTheChosenPathCutTo255Characters) {
    Start();
    QString answer = "/tmp/sounds/end.wav";
    Dialog->ChooseSoundFile = [&answer](QWidget*) { return answer; };

    Click(IdBrowse);
    EXPECT_STREQ(Program.Settings.soundFile, "/tmp/sounds/end.wav");
    EXPECT_EQ(Ctl<QLineEdit>(IdSoundFile)->text(), answer);

    // Cancelled: nothing changes.
    answer.clear();
    Click(IdBrowse);
    EXPECT_STREQ(Program.Settings.soundFile, "/tmp/sounds/end.wav");

    // Too long for the field: the first 255 characters, then zeros to the end.
    answer = "/" + QString(295, QLatin1Char('a')) + ".wav";
    ASSERT_EQ(answer.size(), 300);
    Click(IdBrowse);
    EXPECT_EQ(std::string(Program.Settings.soundFile), answer.left(255).toStdString());
    for (std::size_t i = 255; i < SoundFileSize; ++i)
        EXPECT_EQ(Program.Settings.soundFile[i], '\0') << i;
    EXPECT_EQ(Ctl<QLineEdit>(IdSoundFile)->text(), answer.left(255));
    // The byte after the field is untouched.
    EXPECT_EQ(Program.Settings.reserved[0], 0);
}

} // namespace
} // namespace mainwindow
