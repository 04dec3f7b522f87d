// Dialog units, the template registry and the main dialog built from template 1.
#include "app/timing/TMainControls.h"
#include "app/window/MainDialogTemplate.h"
#include "toolkit/TAffDigital.h"
#include "toolkit/TDialogUnits.h"
#include "toolkit/TWinDialog.h"

#include <QComboBox>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

namespace {

TEST(DialogUnits, ArialEightPointMeasuresSixAcross) {
    const QFont font = MakeDialogFont("Arial", 8);
    EXPECT_EQ(QFontInfo(font).family(), "Liberation Sans"); // fonts-liberation stands in
    const TDialogUnits measured = TDialogUnits::Measure(font);
    EXPECT_EQ(measured.BaseX, 6);
    // Unhinted, the face is 12.3 pixels high and measures 13 here, not the 14 the hinted
    // original gives: the conversion must still use 14.
    EXPECT_GE(measured.BaseY, 12);
    EXPECT_EQ(TDialogUnits::ForFont("Arial", 8).BaseY, 14);
}

TEST(DialogUnits, ReferenceFigures) {
    const TDialogUnits units = TDialogUnits::ForFont("Arial", 8);
    EXPECT_EQ(units.BaseX, 6);
    EXPECT_EQ(units.BaseY, 14);
    EXPECT_EQ(units.X(220), 330);
    EXPECT_EQ(units.Y(157), 275); // rounded to nearest, as the platform does
    EXPECT_EQ(units.Rect(140, 69, 64, 12), QRect(210, 121, 96, 21));
}

TEST(DialogUnits, OtherFontsAreMeasured) {
    const TDialogUnits large = TDialogUnits::ForFont("Liberation Sans", 24);
    EXPECT_GT(large.BaseX, 6);
    EXPECT_GT(large.BaseY, 14);
}

TEST(DialogTemplates, RegistryFindsTheMainDialog) {
    EXPECT_EQ(FindDialogTemplate(MainDialogId), &MainDialogTemplate());
    EXPECT_EQ(FindDialogTemplate(987654), nullptr);
    static const TDialogTemplate other{};
    EXPECT_EQ(RegisterDialogTemplate(MainDialogId, &other), 0);
    EXPECT_EQ(FindDialogTemplate(MainDialogId), &MainDialogTemplate());
}

class MainLayout : public ::testing::Test {
protected:
    void SetUp() override { Dialog.Create(); }
    TWinDialog Dialog{nullptr, MainDialogId};
};

TEST_F(MainLayout, PlainControlsComeFromTheTemplate) {
    EXPECT_EQ(Dialog.size(), QSize(330, 375));
    EXPECT_TRUE(qobject_cast<QComboBox*>(Dialog.Control(IdPort)));
    EXPECT_TRUE(qobject_cast<QRadioButton*>(Dialog.Control(IdLapCounter)));
    EXPECT_TRUE(qobject_cast<QLineEdit*>(Dialog.Control(IdInitialNumber)));
    EXPECT_TRUE(qobject_cast<QPushButton*>(Dialog.Control(IdStart)));
    auto* startLabel = qobject_cast<QLabel*>(Dialog.Control(IdStartTimeLabel));
    ASSERT_TRUE(startLabel);
    EXPECT_EQ(startLabel->text(), "Start at:");
    EXPECT_TRUE(startLabel->alignment() & Qt::AlignRight);
    EXPECT_EQ(Dialog.Control(IdInitialNumber)->geometry(), QRect(210, 166, 96, 21));
    EXPECT_EQ(Dialog.ControlId(Dialog.Control(IdBrowse)), IdBrowse);
}

TEST_F(MainLayout, TabOrderFollowsTheTemplate) {
    const int expected[] = {
        IdBoardType,  IdPort,        IdCountUp,   IdCountDown,       IdTest,
        IdLapCounter, IdDisplayType, IdStartTime, IdSecondStartTime, IdInitialNumber,
        IdInLoop,     IdSoundFile,   IdBrowse,    IdStart,           IdStop,
        IdReset};
    QWidget* widget = Dialog.Control(expected[0]);
    for (std::size_t i = 1; i < std::size(expected); ++i) {
        widget = widget->nextInFocusChain();
        while (widget->focusPolicy() == Qt::NoFocus)
            widget = widget->nextInFocusChain();
        EXPECT_EQ(Dialog.ControlId(widget), expected[i]) << "after " << expected[i - 1];
    }
}

TEST_F(MainLayout, DigitalDisplayLiesInsideItsPanel) {
    const QLabel* panel = nullptr;
    for (const QLabel* label : Dialog.findChildren<QLabel*>()) {
        if (!label->pixmap().isNull() && label->pixmap().size() == QSize(312, 61))
            panel = label;
    }
    ASSERT_TRUE(panel);
    // The panel is placed in dialog units, the display in pixels.
    EXPECT_EQ(panel->geometry(), QRect(8, 275, 312, 61));
    EXPECT_EQ(panel->pos(), Dialog.Units().Rect(5, 157, 0, 0).topLeft());
    TAffDigital display(&Dialog, IdDigitalDisplay, 19, 287, 9, 0);
    // The last two gaps draw the digits after them 10 pixels further left each, so the display
    // never draws its right-hand 20 pixels: the digits it draws lie on the panel.
    const QRect drawn(display.pos(), QSize(display.width() - 20, display.height()));
    EXPECT_EQ(drawn.width(), 292);
    EXPECT_TRUE(panel->geometry().contains(drawn));
    EXPECT_TRUE(Dialog.rect().contains(panel->geometry()));
}

} // namespace
