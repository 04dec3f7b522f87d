// The dialog base: sweep order, the Updating guard, event tables, the Enter filter, closing with
// a result, window timers, group-box colours and the deletion of listed controls.
#include "ToolkitTestSupport.h"

#include "tests/support/WaitFor.h"
#include "toolkit/TDecButton.h"
#include "toolkit/TDecGroupBox.h"
#include "toolkit/TEditAlpha.h"
#include "toolkit/TEditCheck.h"
#include "toolkit/TEditCombo.h"
#include "toolkit/TEditNum.h"
#include "toolkit/TEditRadio.h"
#include "toolkit/TEditStatic.h"
#include "toolkit/TEditTemps.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <gtest/gtest.h>
#include <memory>

namespace {

using K = TItemKind;

const TDialogTemplate& SweepTemplate() {
    static const TDialogTemplate tpl = MakeTemplate({
        {10, K::EditField, 5, 5, 60, 12},
        {11, K::EditField, 5, 20, 60, 12},
        {12, K::EditField, 5, 35, 60, 12},
        {13, K::EditField, 5, 50, 60, 12},
        {14, K::CheckBox, 5, 65, 60, 12, "Check"},
        {15, K::RadioButton, 5, 80, 60, 12, "Radio"},
        {16, K::DropDownList, 5, 95, 60, 40},
        {17, K::Label, 80, 5, 60, 12},
        {18, K::GroupBox, 80, 20, 60, 40, "Group"},
        {50, K::PushButton, 80, 65, 50, 14, "Fifty"},
    });
    return tpl;
}

struct SweepDialog : TRecordingDialog {
    std::vector<std::string> Log;
    char FirstText[16] = "first";
    char SecondText[16] = "second";
    int32_t Number = 42;
    int32_t Time = 0;
    int Checked = 1;
    int Radio = 1;
    int Combo = 0;
    TComboBoxData Entries;

    SweepDialog() : TRecordingDialog(SweepTemplate()) {
        FillComboData(Entries, {"one", "two"});
        // Created and listed in this order: a sweep visits each list newest first.
        AlphaList.Add(new TRecording<TEditAlpha>("alpha1", &Log, this, 10, FirstText, 16, 0));
        AlphaList.Add(new TRecording<TEditAlpha>("alpha2", &Log, this, 11, SecondText, 16, 0));
        NumList.Add(new TRecording<TEditNum>("num", &Log, this, 12, &Number, 9, 0, 0, 999));
        TempsList.Add(new TRecording<TEditTemps>("temps", &Log, this, 13, &Time, "hhmmss"));
        CheckList.Add(new TRecording<TEditCheck>("check", &Log, this, 14, &Checked));
        RadioList.Add(new TRecording<TEditRadio>("radio", &Log, this, 15, &Radio, 1));
        ComboList.Add(new TRecording<TEditCombo>("combo", &Log, this, 16, &Combo, &Entries, 0));
        StaticList.Add(new TRecording<TEditStatic>("static", &Log, this, 17, "label", 1));
        GroupBoxList.Add(new TDecGroupBox(this, 18));
    }
};

TEST(WinDialogSweeps, VisitListsInOrderAndEachListNewestFirst) {
    SweepDialog dialog;
    dialog.Create();
    dialog.Log.clear();

    dialog.TransferToControls();
    EXPECT_EQ(dialog.Log,
              (std::vector<std::string>{"show static", "show alpha2", "show alpha1", "show num",
                                        "show temps", "show check", "show radio", "show combo"}));
    dialog.Log.clear();
    dialog.TransferFromControls();
    EXPECT_EQ(dialog.Log,
              (std::vector<std::string>{"store alpha2", "store alpha1", "store num", "store temps",
                                        "store check", "store radio", "store combo"}));
}

TEST(WinDialogSweeps, SetUpShowsEveryVariableBeforeTheFirstSweep) {
    SweepDialog dialog;
    dialog.Create();
    EXPECT_EQ(static_cast<QLineEdit*>(dialog.Control(10))->text(), "first");
    EXPECT_EQ(static_cast<QLineEdit*>(dialog.Control(12))->text(), "42");
    EXPECT_TRUE(static_cast<TEditCheck*>(dialog.Control(14))->isChecked());
    EXPECT_EQ(static_cast<QComboBox*>(dialog.Control(16))->currentText(), "one");
}

TEST(WinDialogSweeps, ControlsComingIntoBeingNotifyNothingButLaterChangesDo) {
    SweepDialog dialog;
    dialog.Create();
    // Showing each variable for the first time is not a user's change: no handler may run on
    // half-built controls.
    EXPECT_TRUE(dialog.Notes.empty());

    static_cast<QLineEdit*>(dialog.Control(10))->setText("typed");
    static_cast<QComboBox*>(dialog.Control(16))->setCurrentIndex(1);
    EXPECT_EQ(dialog.Count(TNotify::TextChanged, 10), 1);
    EXPECT_EQ(dialog.Count(TNotify::SelectionChanged, 16), 1);
}

TEST(WinDialogSweeps, NotificationsDuringTransferToControlsSeeUpdating) {
    SweepDialog dialog;
    dialog.Create();
    dialog.Notes.clear();
    std::strcpy(dialog.FirstText, "changed");
    dialog.Combo = 1;

    dialog.TransferToControls();
    ASSERT_GE(dialog.Count(TNotify::TextChanged, 10), 1);
    ASSERT_GE(dialog.Count(TNotify::SelectionChanged, 16), 1);
    for (const auto& note : dialog.Notes)
        EXPECT_EQ(note.UpdatingSeen, 1);
    EXPECT_EQ(dialog.Updating, 0);
    EXPECT_EQ(dialog.UpdatingAtControlsUpdated.back(), 0);
}

TEST(WinDialogSweeps, EmptyListsStillClearUpdatingAndCallTheHook) {
    TRecordingDialog dialog(MakeTemplate({}));
    dialog.Create();
    dialog.TransferToControls();
    EXPECT_EQ(dialog.Updating, 0);
    EXPECT_EQ(dialog.UpdatingAtControlsUpdated, std::vector<int>{0});
}

TEST(WinDialogLifetime, DeletingTheDialogDeletesEachListedControlOnce) {
    using Alpha = TRecording<TEditAlpha>;
    using Check = TRecording<TEditCheck>;
    Alpha::Deaths().clear();
    Check::Deaths().clear();
    std::vector<std::string> log;
    char text[8] = "";
    int value = 0;
    auto* dialog = new TRecordingDialog(SweepTemplate());
    auto* twice = new Alpha("twice", &log, dialog, 10, text, 8, 0);
    dialog->AlphaList.Add(twice);
    dialog->AlphaList.Add(twice);
    dialog->AlphaList.Add(new Alpha("once", &log, dialog, 11, text, 8, 0));
    dialog->CheckList.Add(new Check("check", &log, dialog, 14, &value));
    QPointer<TDecGroupBox> box = new TDecGroupBox(dialog, 18);
    dialog->GroupBoxList.Add(box);
    dialog->Create();

    delete dialog;
    EXPECT_EQ(Alpha::Deaths()["twice"], 1);
    EXPECT_EQ(Alpha::Deaths()["once"], 1);
    EXPECT_EQ(Check::Deaths()["check"], 1);
    EXPECT_TRUE(box.isNull());
}

// A base dialog and a derived one answering the same click: the derived table is searched first.
struct BaseTableDialog : TWinDialog {
    BaseTableDialog() : TWinDialog(nullptr, SweepTemplate()) {}
    std::vector<std::string> Calls;

protected:
    bool Dispatch(TNotify kind, int id) override {
        return Events.Dispatch(*this, kind, id) || TWinDialog::Dispatch(kind, id);
    }

private:
    void BaseFifty(int id) { Calls.push_back("base " + std::to_string(id)); }
    void BaseTimer() { Calls.push_back("base timer"); }
    static const TEventTable<BaseTableDialog> Events;
};
const TEventTable<BaseTableDialog> BaseTableDialog::Events{
    {TNotify::Clicked, 50, &BaseTableDialog::BaseFifty},
    {TNotify::Timer, AnyId, &BaseTableDialog::BaseTimer},
};

struct DerivedTableDialog : BaseTableDialog {
protected:
    bool Dispatch(TNotify kind, int id) override {
        return Events.Dispatch(*this, kind, id) || BaseTableDialog::Dispatch(kind, id);
    }

private:
    void DerivedFifty() { Calls.push_back("derived"); }
    static const TEventTable<DerivedTableDialog> Events;
};
const TEventTable<DerivedTableDialog> DerivedTableDialog::Events{
    {TNotify::Clicked, 50, &DerivedTableDialog::DerivedFifty},
};

TEST(WinDialogEvents, DerivedTableIsSearchedBeforeTheBase) {
    DerivedTableDialog dialog;
    ASSERT_TRUE(ShowActive(&dialog));
    QTest::mouseClick(dialog.Control(50), Qt::LeftButton);
    EXPECT_EQ(dialog.Calls, std::vector<std::string>{"derived"});

    BaseTableDialog base;
    ASSERT_TRUE(ShowActive(&base));
    QTest::mouseClick(base.Control(50), Qt::LeftButton);
    EXPECT_EQ(base.Calls, std::vector<std::string>{"base 50"});
}

TEST(WinDialogEvents, WindowTimerGoesThroughTheEventTableUntilKilled) {
    DerivedTableDialog dialog;
    dialog.Create();
    EXPECT_EQ(dialog.SetTimer(101, 5), 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog.Calls.empty(); }, testwait::ScaledMs(5000)));
    EXPECT_EQ(dialog.Calls.front(), "base timer"); // the derived table has no timer entry
    EXPECT_EQ(dialog.KillTimer(101), 1);
    EXPECT_EQ(dialog.KillTimer(101), 0);
    const auto seen = dialog.Calls.size();
    QTest::qWait(30);
    EXPECT_EQ(dialog.Calls.size(), seen);
}

const TDialogTemplate& EnterTemplate() {
    static const TDialogTemplate tpl = MakeTemplate({
        {10, K::EditField, 5, 5, 60, 12},
        {12, K::EditField, 5, 20, 60, 12},
        {60, K::PushButton, 5, 40, 50, 14},
        {1, K::PushButton, 5, 60, 50, 14, "OK"},
    });
    return tpl;
}

struct EnterDialog : TRecordingDialog {
    char Text[32] = "before";
    int32_t Number = 7;
    EnterDialog() : TRecordingDialog(EnterTemplate()) {
        AlphaList.Add(new TEditAlpha(this, 10, Text, 32, 0));
        NumList.Add(new TEditNum(this, 12, &Number, 9, 0, 0, 999));
        new TDecButton(this, 60, 119);
    }
};

TEST(WinDialogEnter, EnterInAnInputFieldDoesNothing) {
    EnterDialog dialog;
    ASSERT_TRUE(ShowActive(&dialog));
    auto* edit = dialog.Control(10);
    edit->setFocus();
    QTest::keyClicks(edit, "typed");
    QTest::keyClick(edit, Qt::Key_Return);
    auto* number = dialog.Control(12);
    number->setFocus();
    QTest::keyClick(number, Qt::Key_Enter);

    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.Result(), 0);
    EXPECT_STREQ(dialog.Text, "before");
    EXPECT_EQ(dialog.Number, 7);
}

TEST(WinDialogEnter, CommandOneIsDroppedUnlessControlOneHasTheFocus) {
    EnterDialog dialog;
    ASSERT_TRUE(ShowActive(&dialog));
    dialog.Control(12)->setFocus();
    dialog.Command(TNotify::Clicked, 1);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.Result(), 0);

    dialog.Control(1)->setFocus();
    dialog.Command(TNotify::Clicked, 1);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.Result(), 1);
}

TEST(WinDialogEnter, EnterOnAPictureButtonPressesIt) {
    EnterDialog dialog;
    ASSERT_TRUE(ShowActive(&dialog));
    auto* button = dialog.Control(60);
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Return);
    EXPECT_EQ(dialog.Count(TNotify::Clicked, 60), 1);
    EXPECT_TRUE(dialog.isVisible());
}

TEST(WinDialogEnter, ControlOneClosesWithResultOneAfterStoringTheControls) {
    EnterDialog dialog;
    ASSERT_TRUE(ShowActive(&dialog));
    auto* edit = static_cast<QLineEdit*>(dialog.Control(10));
    edit->setFocus();
    QTest::keyClicks(edit, "+more");
    auto* ok = dialog.Control(1);
    ok->setFocus();
    QTest::keyClick(ok, Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.Result(), 1);
    EXPECT_STREQ(dialog.Text, "before+more");
}

TEST(WinDialogEnter, ClosingWithAnotherResultStoresNothing) {
    EnterDialog dialog;
    ASSERT_TRUE(ShowActive(&dialog));
    auto* edit = dialog.Control(10);
    edit->setFocus();
    QTest::keyClicks(edit, "x");
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.Result(), 2);
    EXPECT_STREQ(dialog.Text, "before");
}

TEST(WinDialogColours, GroupBoxCaptionsTakeTheCaptionColourOnlyWhenListed) {
    const TDialogTemplate tpl = MakeTemplate({
        {18, K::GroupBox, 5, 5, 60, 40, "Listed"},
        {19, K::GroupBox, 70, 5, 60, 40, "Plain"},
    });
    TRecordingDialog dialog(tpl);
    dialog.GroupBoxList.Add(new TDecGroupBox(&dialog, 18));
    dialog.Create();
    const QColor caption = QApplication::palette().color(QPalette::Active, QPalette::Highlight);
    EXPECT_EQ(dialog.Control(18)->palette().color(QPalette::WindowText), caption);
    EXPECT_EQ(static_cast<QGroupBox*>(dialog.Control(18))->title(), "Listed");
    EXPECT_NE(dialog.Control(19)->palette().color(QPalette::WindowText), caption);
}

TEST(WinDialogColours, FramedStaticIsDarkRedOnlyWhileEnabled) {
    const TDialogTemplate tpl = MakeTemplate({{17, K::Label, 5, 5, 60, 12}});
    TRecordingDialog dialog(tpl);
    auto* text = new TEditStatic(&dialog, 17, "framed", 1);
    dialog.StaticList.Add(text);
    dialog.Create();
    EXPECT_EQ(text->palette().color(QPalette::WindowText), QColor(128, 0, 0));
    EXPECT_EQ(text->palette().color(QPalette::Window), QColor(Qt::white));
    text->setEnabled(false);
    EXPECT_NE(text->palette().color(QPalette::WindowText), QColor(128, 0, 0));
}

} // namespace
