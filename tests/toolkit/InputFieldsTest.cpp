// The input fields driven by keys: the number field's filter, reader and range message, the
// time field's overwrite editing and its two forms, and the text field's trimming.
#include "ToolkitTestSupport.h"

#include "scoreboard/TTemps.h"
#include "tests/support/WaitFor.h"
#include "toolkit/TEditAlpha.h"
#include "toolkit/TEditNum.h"
#include "toolkit/TEditTemps.h"

#include <QClipboard>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace {

using K = TItemKind;

const TDialogTemplate& FieldsTemplate() {
    static const TDialogTemplate tpl = MakeTemplate({
        {110, K::EditField, 5, 5, 64, 12, "", 0, StyleAutoHScroll},
        {111, K::EditField, 5, 20, 64, 12},
        {122, K::EditField, 5, 35, 122, 12},
        {130, K::EditField, 5, 50, 64, 12},
    });
    return tpl;
}

struct FieldsDialog : TRecordingDialog {
    int32_t Initial = 5;
    int32_t Start = 0;
    char Sound[256] = "";
    int16_t Small = 0;
    TEditNum* Number;
    TEditTemps* Time;
    TEditAlpha* Text;
    TEditNum* SmallNumber;

    FieldsDialog() : TRecordingDialog(FieldsTemplate()) {
        StoreOnTextChange = true; // as the main dialog does
        Number = new TEditNum(this, 110, &Initial, 9, 0, 0, 999999999);
        Time = new TEditTemps(this, 111, &Start, "hhmmss");
        Text = new TEditAlpha(this, 122, Sound, 256, 1);
        SmallNumber = new TEditNum(this, 130, &Small, 5, 0, -100, 100);
        NumList.Add(Number);
        TempsList.Add(Time);
        AlphaList.Add(Text);
        NumList.Add(SmallNumber);
    }
};

class InputFields : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(ShowActive(&Dialog)); }

    void FocusAndClear(QLineEdit* field) {
        field->setFocus();
        QTest::keyClick(field, Qt::Key_End);
        while (!field->text().isEmpty())
            QTest::keyClick(field, Qt::Key_Backspace);
    }

    TAlertCatcher Alerts;
    FieldsDialog Dialog;
};

TEST_F(InputFields, NumberFieldLetsOnlyItsCharactersThrough) {
    FocusAndClear(Dialog.Number);
    QTest::keyClicks(Dialog.Number, "a-1.2x3 ");
    QGuiApplication::clipboard()->setText(QStringLiteral("777"));
    QTest::keyClick(Dialog.Number, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Dialog.Number->text(), "123");
    EXPECT_EQ(Dialog.Initial, 123);

    // A negative minimum lets the minus through; a trailing minus makes the value negative.
    FocusAndClear(Dialog.SmallNumber);
    QTest::keyClicks(Dialog.SmallNumber, "25-");
    EXPECT_EQ(Dialog.SmallNumber->text(), "25-");
    EXPECT_EQ(Dialog.Small, -25);
    EXPECT_EQ(Alerts.Beeps, 0);
}

TEST_F(InputFields, TenDigitsShowTheRangeMessageAndKeepTheTypedNumber) {
    FocusAndClear(Dialog.Number);
    QTest::keyClicks(Dialog.Number, "99999999999"); // eleven: the limit keeps ten
    EXPECT_EQ(Dialog.Number->text(), "9999999999");
    // Too big for the 32-bit variable: clamped, never wrapped into 1410065407.
    EXPECT_EQ(Dialog.Initial, 2147483647);

    QTest::keyClick(Dialog.Number, Qt::Key_Tab);
    ASSERT_EQ(Alerts.Messages.size(), 1u);
    EXPECT_EQ(Alerts.Beeps, 1);
    EXPECT_EQ(Alerts.Messages[0].Text, "La Saisie n'est pas comprise entre 0 et 999999999");
    EXPECT_EQ(Alerts.Messages[0].Caption, "Message....");
    EXPECT_EQ(Alerts.Messages[0].Owner, Dialog.Number);
    EXPECT_NE(Alerts.FocusDuringMessage[0], Dialog.Number);
    EXPECT_EQ(Dialog.Number->text(), "2147483647");
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return Dialog.Number->hasFocus(); }, testwait::ScaledMs(5000)));
}

TEST_F(InputFields, SixteenBitNumberIsClampedToItsType) {
    FocusAndClear(Dialog.SmallNumber);
    QTest::keyClicks(Dialog.SmallNumber, "-99999");
    EXPECT_EQ(Dialog.Small, -32768);
    QTest::keyClick(Dialog.SmallNumber, Qt::Key_Tab);
    ASSERT_EQ(Alerts.Messages.size(), 1u);
    EXPECT_EQ(Alerts.Messages[0].Text, "La Saisie n'est pas comprise entre -100 et 100");
    EXPECT_EQ(Dialog.SmallNumber->text(), "-32768");
}

TEST_F(InputFields, InRangeOrEmptyNumberLeavesQuietly) {
    FocusAndClear(Dialog.Number);
    QTest::keyClick(Dialog.Number, Qt::Key_Tab);
    EXPECT_EQ(Dialog.Initial, 0);
    FocusAndClear(Dialog.Number);
    QTest::keyClicks(Dialog.Number, "999999999");
    QTest::keyClick(Dialog.Number, Qt::Key_Tab);
    EXPECT_EQ(Alerts.Beeps, 0);
    EXPECT_TRUE(Alerts.Messages.empty());
    EXPECT_EQ(Dialog.Initial, 999999999);
}

TEST(NumberFieldDecimals, ShowsAndReadsImpliedDecimals) {
    const TDialogTemplate tpl =
        MakeTemplate({{1, K::EditField, 5, 5, 60, 12}, {2, K::EditField, 5, 20, 60, 12}});
    TRecordingDialog dialog(tpl);
    int32_t value = 250;
    auto* field = new TEditNum(&dialog, 1, &value, 6, 2, 0, 1000);
    dialog.NumList.Add(field);
    dialog.Create();
    ASSERT_TRUE(ShowActive(&dialog));
    EXPECT_EQ(field->text(), "2.50");

    TAlertCatcher alerts;
    field->setFocus();
    QTest::keyClick(field, Qt::Key_End);
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, "2.5");
    dialog.TransferFromControls();
    EXPECT_EQ(value, 250);

    QTest::keyClicks(field, "5"); // 2.55
    dialog.TransferFromControls();
    EXPECT_EQ(value, 255);
    field->setText("20");
    QTest::keyClick(field, Qt::Key_Tab);
    ASSERT_EQ(alerts.Messages.size(), 1u);
    EXPECT_EQ(alerts.Messages[0].Text, "La Saisie n'est pas comprise entre 0.00 et 10.00");
}

TEST_F(InputFields, TimeFieldEditsInOverwriteModeJumpingSeparators) {
    EXPECT_EQ(Dialog.Time->text(), "         "); // zero shows as blanks
    Dialog.Time->setFocus();
    EXPECT_EQ(Dialog.Time->text(), "00:00:00.");
    EXPECT_EQ(Dialog.Time->cursorPosition(), 0);

    std::vector<int> carets;
    for (const char* key : {"1", "2", "3", "0"}) {
        QTest::keyClicks(Dialog.Time, key);
        carets.push_back(Dialog.Time->cursorPosition());
    }
    EXPECT_EQ(Dialog.Time->text(), "12:30:00.");
    EXPECT_EQ(carets, (std::vector<int>{1, 3, 4, 6}));

    QTest::keyClick(Dialog.Time, Qt::Key_Delete);
    QTest::keyClick(Dialog.Time, Qt::Key_Backspace);
    QTest::keyClicks(Dialog.Time, "x:");
    EXPECT_EQ(Dialog.Time->text(), "12:30:00.");

    QTest::keyClick(Dialog.Time, Qt::Key_Tab);
    EXPECT_EQ(Dialog.Time->text(), "12:30:00.");
    Dialog.TransferFromControls();
    EXPECT_EQ(Dialog.Start, (12 * 3600 + 30 * 60) * 1000);
}

TEST_F(InputFields, TimeFieldBlanksLeadingZerosWhenLeft) {
    Dialog.Time->setFocus();
    QTest::keyClicks(Dialog.Time, "0030");
    EXPECT_EQ(Dialog.Time->text(), "00:30:00.");
    QTest::keyClick(Dialog.Time, Qt::Key_Tab);
    EXPECT_EQ(Dialog.Time->text(), "   30:00.");
    Dialog.TransferFromControls();
    EXPECT_EQ(Dialog.Start, 30 * 60 * 1000);
    Dialog.Time->setFocus();
    EXPECT_EQ(Dialog.Time->text(), "00:30:00.");
}

TEST_F(InputFields, TimeFieldArrowsNeverRestOnASeparator) {
    Dialog.Time->setFocus();
    for (int i = 0; i < 8; ++i) {
        QTest::keyClick(Dialog.Time, Qt::Key_Right);
        const int caret = Dialog.Time->cursorPosition();
        EXPECT_NE(caret, 2);
        EXPECT_NE(caret, 5);
    }
    EXPECT_EQ(Dialog.Time->cursorPosition(), 9);
    QTest::keyClick(Dialog.Time, Qt::Key_Left);
    EXPECT_EQ(Dialog.Time->cursorPosition(), 7);
    QTest::keyClick(Dialog.Time, Qt::Key_Left);
    QTest::keyClick(Dialog.Time, Qt::Key_Down);
    EXPECT_EQ(Dialog.Time->cursorPosition(), 4);
    QTest::keyClick(Dialog.Time, Qt::Key_Up);
    EXPECT_EQ(Dialog.Time->cursorPosition(), 6);
}

TEST_F(InputFields, ShownValuesLongerThanTheTypingLimitAreNotCut) {
    Dialog.Start = 100 * 3600 * 1000; // three hour digits in a two-digit pattern
    Dialog.TransferToControls();
    EXPECT_EQ(Dialog.Time->text(), "100:00:00.");
    Dialog.Initial = -2147483647 - 1; // eleven characters in a field that types ten
    Dialog.TransferToControls();
    EXPECT_EQ(Dialog.Number->text(), "-2147483648");
    Dialog.TransferFromControls();
    EXPECT_EQ(Dialog.Initial, -2147483647 - 1);
}

TEST_F(InputFields, TimeFieldUsesTheFixedPitchFace) {
    EXPECT_TRUE(QFontInfo(Dialog.Time->font()).fixedPitch());
    EXPECT_EQ(Dialog.Time->maxLength(), 9);
}

TEST_F(InputFields, TextFieldDropsTrailingSpaces) {
    Dialog.Text->setFocus();
    QTest::keyClicks(Dialog.Text, "song.wav   ");
    Dialog.TransferFromControls();
    EXPECT_STREQ(Dialog.Sound, "song.wav");

    FocusAndClear(Dialog.Text);
    QTest::keyClicks(Dialog.Text, "   ");
    Dialog.TransferFromControls();
    EXPECT_STREQ(Dialog.Sound, "");
}

TEST(TextFieldLimit, StoresAtMostSizeMinusOneCharactersTerminated) {
    const TDialogTemplate tpl = MakeTemplate({{1, K::EditField, 5, 5, 60, 12}});
    TRecordingDialog dialog(tpl);
    char buffer[6] = {'x', 'x', 'x', 'x', 'x', 'x'};
    auto* field = new TEditAlpha(&dialog, 1, buffer, 6, 0);
    dialog.AlphaList.Add(field);
    dialog.Create();
    EXPECT_EQ(field->text(), "xxxxx"); // an unterminated buffer is read to its size only
    ASSERT_TRUE(ShowActive(&dialog));
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, "abcdefgh");
    dialog.TransferFromControls();
    EXPECT_EQ(std::string(buffer, 6), std::string("abcde\0", 6));
    field->setText(QString::fromLatin1("\xe9t\xe9")); // Latin-1 round trip
    dialog.TransferFromControls();
    EXPECT_STREQ(buffer, "\xe9t\xe9");
}

} // namespace
