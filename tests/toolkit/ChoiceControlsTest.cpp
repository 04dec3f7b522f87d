// Radio groups, check boxes, the three combo modes and the picture button.
#include "ToolkitTestSupport.h"

#include "resources/Pictures.h"
#include "toolkit/TDecButton.h"
#include "toolkit/TEditCheck.h"
#include "toolkit/TEditCombo.h"
#include "toolkit/TEditRadio.h"

#include <gtest/gtest.h>
#include <string>

namespace {

using K = TItemKind;

const TDialogTemplate& ChoiceTemplate() {
    static const TDialogTemplate tpl = MakeTemplate({
        {103, K::RadioButton, 16, 56, 60, 12, "Count-up"},
        {104, K::RadioButton, 16, 66, 60, 12, "Count-down"},
        {105, K::RadioButton, 16, 86, 60, 12, "Test"},
        {109, K::RadioButton, 16, 76, 60, 12, "Lap counter"},
        {116, K::CheckBox, 89, 107, 58, 12, "In Loop", 0, StyleLeftText | StyleRight},
        {101, K::DropDownList, 48, 25, 47, 56},
        {102, K::DropDownList, 100, 25, 47, 56},
        {60, K::PushButton, 5, 5, 50, 14},
    });
    return tpl;
}

TComboBoxData PortList() {
    TComboBoxData ports;
    ports.AddString("N.C.", true);
    for (int code = 1; code <= 26; ++code)
        ports.AddString(("Com" + std::to_string(code)).c_str(), true);
    for (int code = 27; code <= 146; ++code)
        ports.AddString("", false);
    return ports;
}

struct ChoiceDialog : TRecordingDialog {
    int Function = 4;
    int InLoop = 2;
    int Port = 30;
    int Other = 5;
    TComboBoxData Ports = PortList();
    TComboBoxData Empties;
    TEditCombo* PortCombo;
    TEditCombo* EmptyCombo;
    TDecButton* Button;

    ChoiceDialog() : TRecordingDialog(ChoiceTemplate()) {
        for (int i = 0; i < 3; ++i)
            Empties.AddString("");
        RadioList.Add(new TEditRadio(this, 103, &Function, 1));
        RadioList.Add(new TEditRadio(this, 104, &Function, 2));
        RadioList.Add(new TEditRadio(this, 105, &Function, 3));
        RadioList.Add(new TEditRadio(this, 109, &Function, 4));
        CheckList.Add(new TEditCheck(this, 116, &InLoop));
        PortCombo = new TEditCombo(this, 101, &Port, &Ports, TEditCombo::ModeCompact);
        EmptyCombo = new TEditCombo(this, 102, &Other, &Empties, TEditCombo::ModeCompact);
        ComboList.Add(PortCombo);
        ComboList.Add(EmptyCombo);
        Button = new TDecButton(this, 60, 119);
    }

    bool Checked(int id) const { return static_cast<TEditRadio*>(Control(id))->isChecked(); }
};

class ChoiceControls : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(ShowActive(&Dialog)); }
    ChoiceDialog Dialog;
};

TEST_F(ChoiceControls, RadioGroupOfFourShowsAndStoresOneChoice) {
    EXPECT_FALSE(Dialog.Checked(103));
    EXPECT_FALSE(Dialog.Checked(104));
    EXPECT_FALSE(Dialog.Checked(105));
    EXPECT_TRUE(Dialog.Checked(109));

    QTest::mouseClick(Dialog.Control(104), Qt::LeftButton);
    EXPECT_TRUE(Dialog.Checked(104));
    EXPECT_FALSE(Dialog.Checked(109));
    EXPECT_EQ(Dialog.Count(TNotify::Clicked, 104), 1);
    Dialog.TransferFromControls();
    EXPECT_EQ(Dialog.Function, 2);
}

TEST_F(ChoiceControls, RadioGroupMatchingNoValueShowsNoneAndStoresNothing) {
    Dialog.Function = 7;
    Dialog.TransferToControls();
    for (int id : {103, 104, 105, 109})
        EXPECT_FALSE(Dialog.Checked(id)) << id;
    Dialog.TransferFromControls();
    EXPECT_EQ(Dialog.Function, 7);
}

TEST_F(ChoiceControls, CheckBoxShowsOnlyOneAsChecked) {
    auto* box = static_cast<TEditCheck*>(Dialog.Control(116));
    EXPECT_FALSE(box->isChecked());
    Dialog.TransferFromControls();
    EXPECT_EQ(Dialog.InLoop, 0);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() - 6, box->height() / 2));
    Dialog.TransferFromControls();
    EXPECT_EQ(Dialog.InLoop, 1);
    EXPECT_EQ(box->layoutDirection(), Qt::RightToLeft); // text left of the box
}

TEST_F(ChoiceControls, CompactPortListHidesEmptyEntries) {
    ASSERT_EQ(Dialog.Ports.Strings.size(), 147u);
    EXPECT_EQ(Dialog.PortCombo->count(), 27);
    // 30 names an empty entry: the first entry shows.
    EXPECT_EQ(Dialog.PortCombo->currentText(), "N.C.");
    Dialog.Port = 3;
    Dialog.TransferToControls();
    EXPECT_EQ(Dialog.PortCombo->currentText(), "Com3");
    EXPECT_EQ(Dialog.PortCombo->ShownIndex, 3);

    Dialog.PortCombo->setFocus();
    QTest::keyClick(Dialog.PortCombo, Qt::Key_End);
    EXPECT_EQ(Dialog.PortCombo->currentText(), "Com26");
    Dialog.TransferFromControls();
    EXPECT_EQ(Dialog.Port, 26);
    EXPECT_GE(Dialog.Count(TNotify::SelectionChanged, 101), 1);
}

TEST_F(ChoiceControls, CompactListStoresIndexIntoTheFullList) {
    TComboBoxData gappy;
    for (const char* text : {"", "a", "", "b", "c"})
        gappy.AddString(text);
    int value = 3;
    TEditCombo combo(&Dialog, 999, &value, &gappy, TEditCombo::ModeCompact);
    combo.ShowValue();
    EXPECT_EQ(combo.count(), 3);
    EXPECT_EQ(combo.currentText(), "b");
    combo.setCurrentIndex(2);
    combo.StoreValue();
    EXPECT_EQ(value, 4);
}

TEST_F(ChoiceControls, AllEmptyCompactListShowsNothingAndStoresZero) {
    EXPECT_EQ(Dialog.EmptyCombo->count(), 0);
    Dialog.TransferFromControls();
    EXPECT_EQ(Dialog.Other, 0);
}

TEST(ComboModes, IndexAndItemDataModes) {
    TRecordingDialog dialog(MakeTemplate({}));
    TComboBoxData list;
    FillComboData(list, {"Horloge PC", "hhmmss", "Secondes"});
    EXPECT_EQ(list.Selection, 2);
    EXPECT_EQ(list.SelectionString, "Secondes");

    int index = 1;
    TEditCombo byIndex(&dialog, 1, &index, &list, TEditCombo::ModeIndex);
    byIndex.ShowValue();
    EXPECT_EQ(byIndex.currentText(), "hhmmss");
    byIndex.setCurrentIndex(0);
    byIndex.StoreValue();
    EXPECT_EQ(index, 0);
    EXPECT_EQ(list.Selection, 0);

    TComboBoxData coded;
    coded.AddString("ten", false, 10);
    coded.AddString("twenty", false, 20);
    int code = 20;
    TEditCombo byData(&dialog, 2, &code, &coded, TEditCombo::ModeItemData);
    byData.ShowValue();
    EXPECT_EQ(byData.currentText(), "twenty");
    code = 99; // no entry carries it: the first shows
    byData.ShowValue();
    EXPECT_EQ(byData.currentIndex(), 0);
    byData.StoreValue();
    EXPECT_EQ(code, 10);
}

TEST_F(ChoiceControls, PictureButtonDrawsLightGreyAsTheButtonFace) {
    const QImage picture = KadrantPicture(119).convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(picture.isNull());
    const QColor face = Dialog.Button->palette().color(QPalette::Button);
    const QImage& glyph = Dialog.Button->Glyph();
    ASSERT_EQ(glyph.size(), picture.size());
    int greys = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (picture.pixel(x, y) == qRgb(192, 192, 192)) {
                ++greys;
                EXPECT_EQ(glyph.pixel(x, y), face.rgba());
            } else {
                EXPECT_EQ(glyph.pixel(x, y), picture.pixel(x, y));
            }
        }
    }
    EXPECT_GT(greys, 0);
    EXPECT_EQ(Dialog.Button->iconSize(), QSize(59, 13));
}

TEST_F(ChoiceControls, SetGlyphChangesTheFaceAndIgnoresZero) {
    Dialog.Button->SetGlyph(117);
    EXPECT_EQ(Dialog.Button->GlyphId(), 117);
    EXPECT_EQ(Dialog.Button->Glyph().size(), QSize(20, 19));
    Dialog.Button->SetGlyph(0);
    Dialog.Button->SetGlyph(-3);
    Dialog.Button->SetGlyph(9999);
    EXPECT_EQ(Dialog.Button->GlyphId(), 117);
    EXPECT_EQ(Dialog.Button->Glyph().size(), QSize(20, 19));
}

TEST_F(ChoiceControls, ClickingThePictureButtonSendsItsId) {
    QTest::mouseClick(Dialog.Button, Qt::LeftButton);
    EXPECT_EQ(Dialog.Count(TNotify::Clicked, 60), 1);
}

} // namespace
