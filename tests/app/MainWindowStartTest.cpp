// Start-up of the main window: the settings file it creates or reads, what the controls show and
// which ones are enabled, and the board it opens once the splash has gone.
#include "tests/support/MainWindowFixture.h"

#include "scoreboard/TScbDriver.h"
#include "toolkit/TAffDigital.h"
#include "toolkit/TDecButton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <filesystem>

namespace mainwindow {
namespace {

constexpr int Radios[] = {IdCountUp, IdCountDown, IdTest, IdLapCounter};

TEST_F(MainWindow, FirstStartCreatesTheRecordSelectsTheDefaultsAndOpensCom1) {
    ASSERT_FALSE(std::filesystem::exists(SettingsFileName));
    Build();

    // Created when the dialog is built: 596 bytes, zero but for the first-run values.
    std::string expected(SettingsRecordSize, '\0');
    auto put = [&expected](std::size_t offset, int32_t value) {
        std::memcpy(expected.data() + offset, &value, 4);
    };
    put(28, 100);
    put(32, 75);
    for (std::size_t offset : {44, 48, 52, 56})
        put(offset, 1);
    EXPECT_EQ(ReadFile(SettingsFileName), expected);

    // Nothing reaches the board before the splash has gone.
    EXPECT_FALSE(Program.Driver.HasThread());
    EXPECT_EQ(Com1.ReadUntilQuiet(200), "");

    Start();
    EXPECT_EQ(Frame->pos(), QPoint(100, 75));
    EXPECT_EQ(Ctl<QComboBox>(IdPort)->currentText(), "Com1");
    EXPECT_EQ(Ctl<QComboBox>(IdBoardType)->currentText(), "TAG Heuer HL960/990 - Prg 000 (info)");
    EXPECT_EQ(Ctl<QComboBox>(IdDisplayType)->currentText(), "hhmmss");
    EXPECT_TRUE(Ctl<QRadioButton>(IdCountUp)->isChecked());
    for (int id : {IdCountDown, IdTest, IdLapCounter})
        EXPECT_FALSE(Ctl<QRadioButton>(id)->isChecked()) << id;

    // Count-up with "hhmmss": the display type and the start time only.
    EXPECT_TRUE(Enabled(IdDisplayType));
    EXPECT_TRUE(Enabled(IdStartTime));
    for (int id : {IdSecondStartTime, IdInitialNumber, IdInLoop, IdSoundFile})
        EXPECT_FALSE(Enabled(id)) << id;
    // Never disabled.
    for (int id : {IdBoardType, IdPort, IdCountUp, IdCountDown, IdTest, IdLapCounter, IdStart,
                   IdStop, IdReset, IdBrowse})
        EXPECT_TRUE(Enabled(id)) << id;
    EXPECT_EQ(Dialog->FirstButton()->GlyphId(), 119);
    EXPECT_EQ(Dialog->SecondButton()->GlyphId(), 120);
    EXPECT_EQ(Dialog->DigitalDisplay()->Text(), "         ");

    EXPECT_EQ(Program.Driver.GetBoardCode(), TScbDriver::BoardLineMessage);
    EXPECT_EQ(Program.Driver.GetPortCode(), 1);
    EXPECT_TRUE(Program.Driver.HasThread());
    EXPECT_EQ(Com1.ReadBytes(BlankLinesSize), BlankLines());
    // Opened once: nothing follows the blanking.
    EXPECT_EQ(Com1.ReadUntilQuiet(400), "");
}

// A config.dat that cannot be opened (here a directory of that name): the program runs on the
// first-run values in memory, and setting up the controls must not disturb them.
TEST_F(MainWindow, UnopenableSettingsFileRunsOnTheFirstRunValues) {
    std::filesystem::create_directory(SettingsFileName);
    Start();

    EXPECT_FALSE(Program.SettingsFile.IsOpen());
    EXPECT_EQ(Program.Settings.portCode, 1);
    EXPECT_EQ(Program.Settings.boardType, 1);
    EXPECT_EQ(Program.Settings.functionCode, FunctionCountUp);
    EXPECT_EQ(Program.Settings.displayType, DisplayHhmmss);
    EXPECT_EQ(Ctl<QComboBox>(IdPort)->currentText(), "Com1");
    EXPECT_EQ(Ctl<QComboBox>(IdBoardType)->currentText(), "TAG Heuer HL960/990 - Prg 000 (info)");
    EXPECT_TRUE(Ctl<QRadioButton>(IdCountUp)->isChecked());
    EXPECT_TRUE(Enabled(IdStartTime));
    EXPECT_EQ(Program.Driver.GetPortCode(), 1);
    EXPECT_EQ(Com1.ReadBytes(BlankLinesSize), BlankLines());
    EXPECT_EQ(Com1.ReadUntilQuiet(400), "");

    Frame->close();
    EXPECT_TRUE(std::filesystem::is_directory(SettingsFileName));
}

TEST_F(MainWindow, PortZeroOpensNoBoardUntilAPortIsChosen) {
    TSettingsRecord record = FirstRunRecord();
    record.portCode = 0;
    WriteSettings(record);
    Start();

    EXPECT_EQ(Ctl<QComboBox>(IdPort)->currentText(), "N.C.");
    EXPECT_FALSE(Program.Driver.HasThread());
    EXPECT_EQ(Com1.ReadUntilQuiet(400), "");

    // Choosing a port later opens the board all the same.
    QTest::keyClick(Ctl(IdPort), Qt::Key_Down);
    EXPECT_EQ(Program.Settings.portCode, 1);
    EXPECT_EQ(Program.Driver.GetPortCode(), 1);
    EXPECT_EQ(Com1.ReadBytes(BlankLinesSize), BlankLines());
}

TEST_F(MainWindow, FunctionCodeZeroChecksNoRadioAndDisablesTheSixControls) {
    TSettingsRecord record = FirstRunRecord();
    record.functionCode = 0;
    WriteSettings(record);
    Start();

    for (int id : Radios)
        EXPECT_FALSE(Ctl<QRadioButton>(id)->isChecked()) << id;
    for (int id :
         {IdDisplayType, IdStartTime, IdSecondStartTime, IdInitialNumber, IdInLoop, IdSoundFile})
        EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_TRUE(Enabled(IdBrowse));
    EXPECT_EQ(Dialog->FirstButton()->GlyphId(), 119);
    EXPECT_EQ(Dialog->SecondButton()->GlyphId(), 120);
}

TEST_F(MainWindow, SavedRecordIsShownAndReadAgainAtSetUp) {
    TSettingsRecord record = FirstRunRecord();
    record.functionCode = FunctionCountDown;
    record.displayType = DisplaySeconds;
    record.initialNumber = 42;
    record.inLoop = 1;
    std::strcpy(record.soundFile, "/tmp/end.wav");
    record.placement.normalPosition[0] = 230;
    record.placement.normalPosition[1] = 140;
    WriteSettings(record);
    Build();

    // Another copy of the program rewrites the file while the splash is up: set-up reads it
    // again, so its values win over those loaded at construction.
    record.displayType = DisplayMinutes;
    WriteSettings(record);
    Start();

    EXPECT_EQ(Frame->pos(), QPoint(230, 140));
    EXPECT_TRUE(Ctl<QRadioButton>(IdCountDown)->isChecked());
    EXPECT_EQ(Ctl<QComboBox>(IdDisplayType)->currentText(), "Minutes");
    EXPECT_EQ(Ctl<QLineEdit>(IdInitialNumber)->text().trimmed(), "42");
    EXPECT_EQ(Ctl<QLineEdit>(IdSoundFile)->text(), "/tmp/end.wav");
    EXPECT_TRUE(Ctl<QCheckBox>(IdInLoop)->isChecked());
    // Count-down counting minutes: number, loop and sound on, both start times off.
    for (int id : {IdDisplayType, IdInitialNumber, IdInLoop, IdSoundFile})
        EXPECT_TRUE(Enabled(id)) << id;
    for (int id : {IdStartTime, IdSecondStartTime})
        EXPECT_FALSE(Enabled(id)) << id;
}

// The dialog makes the display before its template's panel picture exists: it must still end up
// at its pixel place and on top of the panel. (That the place lies inside the panel is a layout
// fact, checked with the template in the toolkit tests.)
TEST_F(MainWindow, DigitalDisplayIsPlacedOverThePanelPicture) {
    Start();
    const TAffDigital* display = Dialog->DigitalDisplay();
    const QLabel* panel = nullptr;
    for (const QLabel* label : Dialog->findChildren<QLabel*>()) {
        if (label->pixmap().size() == QSize(312, 61))
            panel = label;
    }
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(display->pos(), QPoint(19, 287));
    const QList<QObject*>& order = Dialog->children();
    EXPECT_GT(order.indexOf(const_cast<TAffDigital*>(display)),
              order.indexOf(const_cast<QLabel*>(panel)));
}

} // namespace
} // namespace mainwindow
