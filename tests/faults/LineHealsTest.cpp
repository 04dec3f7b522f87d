// The running program when its line fails and comes back: the title says how the line is, the
// count goes on on screen, and the board is put right by itself when the port works again.
#include "FaultsFixture.h"

#include "app/window/LineTitle.h"
#include "scoreboard/TScbDriver.h"
#include "tests/support/WaitFor.h"

#include <QComboBox>
#include <set>
#include <sys/file.h>

namespace faults {
namespace {

struct TTitleCase {
    TLineStatus status;
    const char* port;
    const char* hint;
    const char* title;
};

class LineTitleText : public testing::TestWithParam<TTitleCase> {};

TEST_P(LineTitleText, FollowsTheLineState) {
    const TTitleCase& c = GetParam();
    EXPECT_EQ(LineTitle(c.port, c.status, c.hint), c.title);
}

INSTANTIATE_TEST_SUITE_P(
    States, LineTitleText,
    testing::Values(
        TTitleCase{TLineStatus::Working, "Com3", "", "Kadrant"},
        TTitleCase{TLineStatus::Off, "N.C.", "", "Kadrant"},
        TTitleCase{TLineStatus::Unplugged, "Com3", "", "Kadrant - Com3: unplugged"},
        TTitleCase{TLineStatus::NoSuchPort, "Com26", "", "Kadrant - Com26: no such port"},
        TTitleCase{TLineStatus::InUse, "Com1", "", "Kadrant - Com1: in use by another program"},
        TTitleCase{TLineStatus::NoPermission, "Com2", "",
                   "Kadrant - Com2: no permission (join the dialout group)"},
        TTitleCase{TLineStatus::NotSerial, "Digi1A1", "", "Kadrant - Digi1A1: not a serial port"},
        TTitleCase{TLineStatus::Refused, "Com4", "", "Kadrant - Com4: refused the line settings"},
        TTitleCase{TLineStatus::NoSuchPort, "Com3", "(the USB adapter is Com5)",
                   "Kadrant - Com3: no such port (the USB adapter is Com5)"}));

TEST(LineStatusNames, AreShortAndDistinct) {
    std::set<std::string> names;
    for (TLineStatus s : {TLineStatus::Off, TLineStatus::Working, TLineStatus::Unplugged,
                          TLineStatus::NoSuchPort, TLineStatus::InUse, TLineStatus::NoPermission,
                          TLineStatus::NotSerial, TLineStatus::Refused}) {
        const std::string name = LineStatusName(s);
        EXPECT_EQ(name.find(' '), std::string::npos) << name;
        EXPECT_TRUE(names.insert(name).second) << name;
    }
    EXPECT_STREQ(LineStatusName(TLineStatus::Working), "ok");
}

class LineHeals : public ProgramUnderFaults {
protected:
    LineHeals() { Program.Driver.SetRetryPeriod(std::chrono::milliseconds(300)); }

    // Lets the window's own timer run until the frame's title reads `title`.
    bool TitleBecomes(const QString& title) {
        return QTest::qWaitFor([&] { return Frame->windowTitle() == title; },
                               testwait::ScaledMs(3000));
    }

    void PickPort(int code) {
        auto* ports = qobject_cast<QComboBox*>(Dialog->Control(IdPort));
        ASSERT_NE(ports, nullptr);
        ports->setCurrentIndex(code);
    }

    int32_t Count = 3600;
};

TEST_F(LineHeals, PulledCableShowsInTheTitleAndTheReplugShowsTheCurrentCount) {
    WriteFile(SettingsFileName, RecordBytes(CountDownRecord()));
    Start();
    ASSERT_EQ(Com1->ReadBytes(BlankLines().size()), BlankLines());
    StartCountDown();
    Com1->ReadBytes(2 * 17);
    EXPECT_EQ(Frame->windowTitle(), "Kadrant");

    Com1->CloseMaster();
    EXPECT_TRUE(TitleBecomes("Kadrant - Com1: unplugged"));
    for (int second = 0; second < 3; ++second) {
        Second();
        --Count;
        EXPECT_EQ(Shown(), Hhmmss(Count)); // the count goes on on screen
    }
    NewCom1();
    EXPECT_TRUE(TitleBecomes("Kadrant"));
    EXPECT_EQ(Com1->ReadUntilQuiet(400), BlankLines() + ValueMessage(Hhmmss(Count)));
    Second();
    --Count;
    EXPECT_EQ(Com1->ReadBytes(17), ValueMessage(Hhmmss(Count)));
}

TEST_F(LineHeals, TitleNamesTheReasonAndNoPortIsNoTrouble) {
    const int holder = ::open(Com1->SlavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    WriteFile(SettingsFileName, RecordBytes(CountDownRecord()));
    Start();
    EXPECT_TRUE(TitleBecomes("Kadrant - Com1: in use by another program"));
    PickPort(2); // a link to nothing, picked in the middle of the tries on Com1
    EXPECT_TRUE(TitleBecomes("Kadrant - Com2: no such port"));
    PickPort(0);
    EXPECT_TRUE(TitleBecomes("Kadrant"));
    QTest::qWait(700);
    EXPECT_EQ(Frame->windowTitle(), "Kadrant");
    EXPECT_EQ(Program.Driver.GetLineStatus(), TLineStatus::Off);
    // Back on the held port, and the other program lets go: the board is blanked by itself.
    PickPort(1);
    EXPECT_TRUE(TitleBecomes("Kadrant - Com1: in use by another program"));
    ::close(holder);
    EXPECT_TRUE(TitleBecomes("Kadrant"));
    EXPECT_EQ(Com1->ReadUntilQuiet(400), BlankLines());
}

} // namespace
} // namespace faults
