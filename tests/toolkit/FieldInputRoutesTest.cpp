// Every way text can enter a number or time field (keys, an input method's committed text, the
// paste of Shift+Insert and of the context menu, a drop) follows the rules of a typed key; the
// time field keeps its fixed form whatever is done to it and never asks Qt for an impossible
// selection; a file-name field stores the bytes the file system knows a name by.
#include "ToolkitTestSupport.h"
#include "tests/support/QtWarningCatcher.h"

#include "toolkit/TEditAlpha.h"
#include "toolkit/TEditNum.h"
#include "toolkit/TEditTemps.h"

#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QInputMethodEvent>
#include <QMenu>
#include <QMimeData>
#include <functional>
#include <gtest/gtest.h>

namespace {

using K = TItemKind;

const TDialogTemplate& RoutesTemplate() {
    static const TDialogTemplate tpl = MakeTemplate({
        {110, K::EditField, 5, 5, 64, 12},
        {111, K::EditField, 5, 20, 64, 12},
        {122, K::EditField, 5, 35, 122, 12},
    });
    return tpl;
}

struct RoutesDialog : TRecordingDialog {
    int32_t Number = 0;
    int32_t Start = 0;
    char Sound[16] = "";
    TEditNum* NumberField;
    TEditTemps* TimeField;
    TEditAlpha* SoundField;

    RoutesDialog() : TRecordingDialog(RoutesTemplate()) {
        StoreOnTextChange = true;
        NumberField = new TEditNum(this, 110, &Number, 9, 0, 0, 999999999);
        TimeField = new TEditTemps(this, 111, &Start, "hhmmss");
        SoundField = new TEditAlpha(this, 122, Sound, sizeof Sound, 1, TTextEncoding::FileName);
        NumList.Add(NumberField);
        TempsList.Add(TimeField);
        AlphaList.Add(SoundField);
    }
};

// One way for text to reach the focused field.
struct TRoute {
    const char* Name;
    std::function<void(TFilteredEdit*, const QString&)> Enter;
};

const TRoute Routes[] = {
    {"Keys",
     [](TFilteredEdit* field, const QString& text) {
         // A key per character, with the character as its text (a dead key's result included).
         for (QChar c : text) {
             const auto key = c.unicode() < 0x80 ? Qt::Key(c.toUpper().unicode()) : Qt::Key_unknown;
             QTest::sendKeyEvent(QTest::Click, field, key, QString(c), Qt::NoModifier);
         }
     }},
    {"InputMethod",
     [](TFilteredEdit* field, const QString& text) {
         QInputMethodEvent composing(QStringLiteral("´"), {});
         QApplication::sendEvent(field, &composing);
         QInputMethodEvent commit;
         commit.setCommitString(text);
         QApplication::sendEvent(field, &commit);
     }},
    {"ShiftInsert",
     [](TFilteredEdit* field, const QString& text) {
         QGuiApplication::clipboard()->setText(text);
         QTest::keyClick(field, Qt::Key_Insert, Qt::ShiftModifier);
     }},
    {"MenuPaste",
     [](TFilteredEdit* field, const QString& text) {
         QGuiApplication::clipboard()->setText(text);
         std::unique_ptr<QMenu> menu(field->CreateFieldMenu());
         for (QAction* action : menu->actions())
             if (action->text().startsWith(QLineEdit::tr("&Paste")))
                 action->trigger();
     }},
    {"Drop",
     [](TFilteredEdit* field, const QString& text) {
         QMimeData data;
         data.setText(text);
         // Dropped at the first position, where the caret stands for the other routes.
         const QPoint at(1, field->height() / 2);
         const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
         QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, {});
         QApplication::sendEvent(field, &enter);
         QDragMoveEvent move(at, actions, &data, Qt::LeftButton, {});
         QApplication::sendEvent(field, &move);
         QDropEvent drop(at, actions, &data, Qt::LeftButton, {});
         QApplication::sendEvent(field, &drop);
     }},
};

struct TEntry {
    bool TimeField;
    const char* Text; // UTF-8
    bool SelectAll;
    const char* Shown;
};

const TEntry Entries[] = {
    // Letters, accents and other scripts never reach a number field; digits do.
    {false, "12abé3", false, "123"},
    {false, "€中-.4", false, "4"},
    // A refused character over a selection leaves the selection as it was.
    {true, "x", true, "00:00:00."},
    // Digits type over the time field's digits, jumping the separators.
    {true, "12é3", false, "12:30:00."},
    {true, "1234567890", false, "12:34:56."},
};

class FieldInputRoutes : public ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(FieldInputRoutes, EveryRouteFollowsTheTypedKeyRules) {
    const TRoute& route = Routes[std::get<0>(GetParam())];
    const TEntry& entry = Entries[std::get<1>(GetParam())];
    RoutesDialog dialog;
    ASSERT_TRUE(ShowActive(&dialog));
    TFilteredEdit* field =
        entry.TimeField ? static_cast<TFilteredEdit*>(dialog.TimeField) : dialog.NumberField;
    field->setFocus();
    field->setText(entry.TimeField ? "00:00:00." : "");
    field->setCursorPosition(0);
    if (entry.SelectAll)
        field->selectAll();

    TQtWarningCatcher warnings;
    route.Enter(field, QString::fromUtf8(entry.Text));
    EXPECT_EQ(field->text().toStdString(), entry.Shown);
    EXPECT_TRUE(warnings.Warnings.isEmpty()) << warnings.Warnings.join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    RoutesAndEntries, FieldInputRoutes,
    ::testing::Combine(::testing::Range(0, static_cast<int>(std::size(Routes))),
                       ::testing::Range(0, static_cast<int>(std::size(Entries)))),
    [](const ::testing::TestParamInfo<std::tuple<int, int>>& entry) {
        return std::string(Routes[std::get<0>(entry.param)].Name) + "Entry" +
               std::to_string(std::get<1>(entry.param));
    });

class TimeFieldForm : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(ShowActive(&Dialog));
        Dialog.TimeField->setFocus();
    }
    RoutesDialog Dialog;
};

TEST_F(TimeFieldForm, EmptyPasteOverAllKeepsTheFormAndTypingStillJumpsSeparators) {
    TQtWarningCatcher warnings;
    Dialog.TimeField->selectAll();
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(Dialog.TimeField, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(Dialog.TimeField->text(), "00:00:00.");
    Dialog.TimeField->setCursorPosition(0);
    QTest::keyClicks(Dialog.TimeField, "1234");
    EXPECT_EQ(Dialog.TimeField->text(), "12:34:00.");
    QTest::keyClick(Dialog.TimeField, Qt::Key_Tab);
    Dialog.TransferFromControls();
    EXPECT_EQ(Dialog.Start, (12 * 3600 + 34 * 60) * 1000);
    EXPECT_TRUE(warnings.Warnings.isEmpty()) << warnings.Warnings.join('\n').toStdString();
}

TEST_F(TimeFieldForm, EmptiedFieldShowsAndReadsZero) {
    Dialog.Start = 3723000; // 01:02:03
    Dialog.TransferToControls();
    Dialog.TimeField->selectAll();
    Dialog.TimeField->del(); // what the edit control's own Delete does
    EXPECT_EQ(Dialog.TimeField->text(), "00:00:00.");
    Dialog.TransferFromControls();
    EXPECT_EQ(Dialog.Start, 0);
    // A change that breaks the form another way is undone.
    Dialog.TimeField->setCursorPosition(2);
    Dialog.TimeField->cursorForward(true, 1);
    Dialog.TimeField->del();
    EXPECT_EQ(Dialog.TimeField->text(), "00:00:00.");
}

TEST_F(TimeFieldForm, TypingPastTheLastPositionChangesNothingAndWarnsNothing) {
    TQtWarningCatcher warnings;
    QTest::keyClicks(Dialog.TimeField, "1");
    QTest::keyClick(Dialog.TimeField, Qt::Key_End);
    QTest::keyClicks(Dialog.TimeField, "2345");
    EXPECT_EQ(Dialog.TimeField->text(), "10:00:00.");
    EXPECT_EQ(Dialog.TimeField->cursorPosition(), 9);
    // The last digit typed, then one more.
    Dialog.TimeField->setCursorPosition(7);
    QTest::keyClicks(Dialog.TimeField, "59");
    EXPECT_EQ(Dialog.TimeField->text(), "10:00:05.");
    EXPECT_TRUE(warnings.Warnings.isEmpty()) << warnings.Warnings.join('\n').toStdString();
}

// A file name shows as the characters it is made of and is stored as the bytes the file system
// holds, whatever its script; one that does not fit is cut between two characters.
struct TFileNameCase {
    const char* Name; // UTF-8
    const char* Stored;
};

class FileNameField : public ::testing::TestWithParam<TFileNameCase> {};

TEST_P(FileNameField, StoresTheFileSystemBytesCutBetweenCharacters) {
    RoutesDialog dialog;
    dialog.Create();
    const QString name = QString::fromUtf8(GetParam().Name);
    dialog.SoundField->setText(name);
    dialog.TransferFromControls();
    EXPECT_STREQ(dialog.Sound, GetParam().Stored);
    EXPECT_TRUE(QFile::encodeName(name).startsWith(dialog.Sound));

    dialog.TransferToControls();
    EXPECT_EQ(dialog.SoundField->text(), QFile::decodeName(GetParam().Stored));
}

// The buffer holds 15 bytes and the terminator: each long name is 16 bytes, its last character
// two, three or four of them.
INSTANTIATE_TEST_SUITE_P(Names, FileNameField,
                         ::testing::Values(TFileNameCase{"/s/été.wav", "/s/été.wav"},
                                           TFileNameCase{"/s/€中.wav", "/s/€中.wav"},
                                           TFileNameCase{"/s/aaaaaaaaaaaé", "/s/aaaaaaaaaaa"},
                                           TFileNameCase{"/s/aaaaaaaaaa中", "/s/aaaaaaaaaa"},
                                           TFileNameCase{"/s/aaaaaaaaa\U0001F3CA",
                                                         "/s/aaaaaaaaa"}));

TEST(FileNameFieldBytes, NameLeftAsItWasKeepsBytesTheEncodingCannotShow) {
    RoutesDialog dialog;
    dialog.Create();
    std::strcpy(dialog.Sound, "/s/\xe9t\xe9.wav"); // Latin-1 bytes from another system
    dialog.TransferToControls();
    dialog.TransferFromControls();
    EXPECT_STREQ(dialog.Sound, "/s/\xe9t\xe9.wav");
}

} // namespace
