// The range message as a real modal box on a platform without a window manager: once it is
// closed the window is active again, so leaving the field a second time shows the message again;
// a button whose press set it off is not left drawn pressed; a closing window shows nothing.
#include "ToolkitTestSupport.h"

#include "tests/support/WaitFor.h"
#include "toolkit/TEditNum.h"
#include "toolkit/TEditRadio.h"

#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

using K = TItemKind;

const TDialogTemplate& FocusTemplate() {
    static const TDialogTemplate tpl = MakeTemplate({
        {110, K::EditField, 5, 5, 64, 12},
        {111, K::EditField, 5, 20, 64, 12},
        {103, K::RadioButton, 5, 35, 60, 12, "Count-up"},
    });
    return tpl;
}

struct FocusDialog : TRecordingDialog {
    int32_t Number = 0;
    int32_t Other = 0;
    int Function = 0;
    TEditNum* Field;
    TEditRadio* Radio;

    FocusDialog() : TRecordingDialog(FocusTemplate()) {
        StoreOnTextChange = true;
        Field = new TEditNum(this, 110, &Number, 9, 0, 0, 999999999);
        Radio = new TEditRadio(this, 103, &Function, 1);
        NumList.Add(Field);
        NumList.Add(new TEditNum(this, 111, &Other, 9, 0, 0, 999999999));
        RadioList.Add(Radio);
    }
};

// Shows each message in the real modal box and presses its OK button, as the operator would.
class TModalMessages {
public:
    TModalMessages() {
        Previous = SetAlertSink(TAlertSink{
            [] {},
            [this](QWidget* owner, const QString& text, const QString& caption) {
                ++Shown;
                QTimer::singleShot(50, [] {
                    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                        box->button(QMessageBox::Ok)->click();
                });
                QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Ok, owner);
                box.exec();
            }});
    }
    ~TModalMessages() { SetAlertSink(Previous); }
    int Shown = 0;

private:
    TAlertSink Previous;
};

class RangeMessageFocus : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(ShowActive(&Dialog));
        Dialog.Field->setFocus();
        Dialog.Field->selectAll();
        QTest::keyClicks(Dialog.Field, "1000000000");
    }
    TModalMessages Messages;
    FocusDialog Dialog;
};

TEST_F(RangeMessageFocus, EachAttemptToLeaveShowsTheMessageAgain) {
    for (int attempt = 1; attempt <= 3; ++attempt) {
        QTest::keyClick(Dialog.Field, Qt::Key_Tab);
        EXPECT_EQ(Messages.Shown, attempt);
        ASSERT_TRUE(QTest::qWaitFor([this] { return QApplication::activeWindow() == &Dialog; },
                                    testwait::ScaledMs(1000)))
            << "attempt " << attempt;
        ASSERT_TRUE(Dialog.Field->hasFocus()) << "attempt " << attempt;
    }
    EXPECT_EQ(Dialog.Field->text(), "1000000000");
}

TEST_F(RangeMessageFocus, RadioButtonWhosePressSetOffTheMessageLooksAsItIs) {
    QRadioButton* radio = Dialog.Radio;
    QTest::mousePress(radio, Qt::LeftButton, {}, QPoint(6, radio->height() / 2));
    EXPECT_EQ(Messages.Shown, 1);
    EXPECT_TRUE(QTest::qWaitFor([radio] { return !radio->isDown(); }, testwait::ScaledMs(1000)));
    EXPECT_FALSE(radio->isChecked());
    EXPECT_TRUE(
        QTest::qWaitFor([this] { return Dialog.Field->hasFocus(); }, testwait::ScaledMs(1000)));
    // The operator's next click on it is an ordinary click.
    QTest::mouseRelease(radio, Qt::LeftButton, {}, QPoint(6, radio->height() / 2));
}

TEST_F(RangeMessageFocus, ClosingWindowShowsNoMessage) {
    Dialog.close();
    EXPECT_EQ(Messages.Shown, 0);
    EXPECT_EQ(Dialog.Number, 1000000000); // stored on the text change, as before
}

} // namespace
