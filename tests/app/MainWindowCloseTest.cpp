// The main window closing with an out-of-range number in a field: no range message, nothing
// blocked, the record saved as the field left it; and a sound file whose path has accents.
#include "tests/support/MainWindowFixture.h"

#include "toolkit/TAlert.h"

#include <QFile>
#include <QLineEdit>

namespace mainwindow {
namespace {

class MainWindowClose : public MainWindow {
protected:
    MainWindowClose() {
        Previous = SetAlertSink(TAlertSink{
            [this] { ++Beeps; }, [this](QWidget*, const QString&, const QString&) { ++Messages; }});
    }
    ~MainWindowClose() override { SetAlertSink(Previous); }

    int Beeps = 0;
    int Messages = 0;
    TAlertSink Previous;
};

TEST_F(MainWindowClose, OutOfRangeNumberLeftByTheCloseShowsNoMessageAndIsSaved) {
    Start();
    Click(IdLapCounter);
    auto* field = Ctl<QLineEdit>(IdInitialNumber);
    field->setFocus(Qt::MouseFocusReason);
    field->selectAll();
    QTest::keyClicks(field, "1000000000");
    ASSERT_TRUE(field->hasFocus());

    Frame->close();
    EXPECT_FALSE(Frame->isVisible());
    EXPECT_EQ(Messages, 0);
    EXPECT_EQ(Beeps, 0);
    const std::string bytes = ReadFile(SettingsFileName);
    EXPECT_EQ(Int32At(bytes, 0), 44);
    EXPECT_EQ(Int32At(bytes, 52), 4);          // Lap counter
    EXPECT_EQ(Int32At(bytes, 76), 1000000000); // stored on the text change, as always
}

TEST_F(MainWindowClose, BrowsedPathWithAccentsShowsAsChosenAndKeepsItsBytes) {
    Start();
    const QString chosen = QString::fromUtf8("/tmp/sons/été €.wav");
    Dialog->ChooseSoundFile = [&chosen](QWidget*) { return chosen; };
    Click(IdBrowse);
    EXPECT_EQ(Ctl<QLineEdit>(IdSoundFile)->text(), chosen);
    EXPECT_EQ(QByteArray(Program.Settings.soundFile), QFile::encodeName(chosen));

    // Any later handler stores the field back: the same bytes.
    Click(IdCountDown);
    EXPECT_EQ(QByteArray(Program.Settings.soundFile), QFile::encodeName(chosen));
}

} // namespace
} // namespace mainwindow
