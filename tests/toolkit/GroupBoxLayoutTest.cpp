// The main dialog's group boxes drawn with the top line through the middle of the caption, so
// that the controls at their template places lie inside their frames; the closed board-type
// list shows its whole entry within its template width.
#include "app/window/MainDialogTemplate.h"
#include "toolkit/TDecGroupBox.h"
#include "toolkit/TEditCombo.h"
#include "toolkit/TWinDialog.h"

#include <QImage>
#include <QStyleOptionComboBox>
#include <gtest/gtest.h>

namespace {

class MainGroupBoxes : public ::testing::Test {
protected:
    void SetUp() override {
        FillComboData(Boards, {"Aucun", "TAG Heuer HL960/990 - Prg 000 (info)"});
        BoardList = new TEditCombo(&Dialog, 119, &Board, &Boards, TEditCombo::ModeCompact);
        Dialog.ComboList.Add(BoardList);
        for (int id : {120, 102, 117, 121})
            Dialog.GroupBoxList.Add(new TDecGroupBox(&Dialog, id));
        Dialog.Create();
    }

    TDecGroupBox* Box(int id) const { return dynamic_cast<TDecGroupBox*>(Dialog.Control(id)); }

    TWinDialog Dialog{nullptr, MainDialogId};
    TComboBoxData Boards;
    int Board = 1;
    TEditCombo* BoardList = nullptr;
};

// Before, each of these straddled the frame's top line drawn below the caption.
struct TInside {
    int Box;
    int Control;
};

class ControlsInsideFrames : public MainGroupBoxes,
                             public ::testing::WithParamInterface<TInside> {};

TEST_P(ControlsInsideFrames, ControlLiesBelowTheTopLineAndWithinTheFrame) {
    TDecGroupBox* box = Box(GetParam().Box);
    QWidget* control = Dialog.Control(GetParam().Control);
    ASSERT_TRUE(box && control);
    const QRect frame = box->geometry().adjusted(0, box->FrameTop(), 0, 0);
    // Clear of the etched line (two pixels) on every side.
    EXPECT_TRUE(frame.adjusted(2, 2, -2, -2).contains(control->geometry()))
        << "frame " << frame.y() << ".." << frame.bottom() << ", control "
        << control->geometry().y() << ".." << control->geometry().bottom();
}

INSTANTIATE_TEST_SUITE_P(MainDialog, ControlsInsideFrames,
                         ::testing::Values(TInside{120, 119}, TInside{120, 101}, TInside{117, 118},
                                           TInside{117, 110}, TInside{121, 122}, TInside{121, 123},
                                           TInside{102, 103}));

TEST_F(MainGroupBoxes, TopLineIsDrawnThroughTheCaptionsMiddle) {
    for (int id : {120, 102, 117, 121}) {
        TDecGroupBox* box = Box(id);
        ASSERT_TRUE(box);
        const QImage image = box->grab().toImage();
        const int x = image.width() - 5; // right of the caption
        const int line = box->FrameTop();
        const int caption = box->fontMetrics().height();
        EXPECT_LT(qGray(image.pixel(x, line)), qGray(image.pixel(x, line + 3))) << id;
        EXPECT_LT(line, caption) << id;
        EXPECT_GT(line, 0) << id;
    }
}

TEST_F(MainGroupBoxes, ClosedBoardListShowsItsWholeEntry) {
    ASSERT_EQ(BoardList->currentText(), "TAG Heuer HL960/990 - Prg 000 (info)");
    EXPECT_EQ(BoardList->width(), Dialog.Units().X(48 + 139) - Dialog.Units().X(48));
    QStyleOptionComboBox option;
    option.initFrom(BoardList);
    option.rect = BoardList->rect();
    const QRect text = BoardList->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                          QStyle::SC_ComboBoxEditField, BoardList);
    const QRect arrow = BoardList->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                           QStyle::SC_ComboBoxArrow, BoardList);
    // The platform style keeps a pixel of margin on each side of the text.
    EXPECT_GE(text.width() - 2,
              BoardList->fontMetrics().horizontalAdvance(BoardList->currentText()));
    EXPECT_GT(arrow.width(), 0);
    EXPECT_LE(text.right(), arrow.left());
}

} // namespace
