// The digital display painted into an image and compared, pixel by pixel, with the strip's cells
// at the slots of the 3-2-2-2 grouping.
#include "resources/Pictures.h"
#include "toolkit/TAffDigital.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

const QRgb Beneath = qRgb(255, 0, 255); // what lies under the display where it draws nothing

QImage Paint(TAffDigital& display) {
    QImage image(display.size(), QImage::Format_ARGB32);
    image.fill(Beneath);
    display.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    return image;
}

// The x at which digit position i is drawn: its slot times a cell, minus the gaps' shift.
int DigitX(int i, int cell) {
    static const int slot[] = {0, 1, 2, 4, 5, 7, 8, 10, 11};
    static const int shift[] = {0, 0, 0, 0, 0, 10, 10, 20, 20};
    return slot[i] * cell - shift[i];
}

class AffDigital : public ::testing::Test {
protected:
    void SetUp() override {
        Strip = KadrantPicture(115).convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(Strip.size(), QSize(26, 430));
    }

    // Whether the image shows strip cell `cell` at x.
    bool ShowsCell(const QImage& image, int x, int cell) const {
        const QImage expected = Strip.copy(0, cell * 39, 26, 39);
        for (int py = 0; py < 39; ++py)
            for (int px = 0; px < 26; ++px)
                if (image.pixel(x + px, py) != expected.pixel(px, py))
                    return false;
        return true;
    }

    void ExpectCells(const QImage& image, const char* text) const {
        for (int i = 0; i < 9; ++i) {
            const int cell = text[i] == ' ' ? 10 : text[i] - '0';
            EXPECT_TRUE(ShowsCell(image, DigitX(i, 26), cell)) << "position " << i;
        }
    }

    QImage Strip;
};

TEST_F(AffDigital, WindowIsDigitsPlusThreeCellsWideAndStartsBlank) {
    TAffDigital display(nullptr, 121, 19, 287, 9, 1234);
    EXPECT_EQ(display.geometry(), QRect(19, 287, 312, 39));
    EXPECT_EQ(display.Text(), std::string(9, ' '));
    EXPECT_EQ(display.Value(), 1234);
    EXPECT_FALSE(display.autoFillBackground());
}

TEST_F(AffDigital, NineDigitsLandAtTheGroupedSlots) {
    TAffDigital display(nullptr, 121, 0, 0, 9, 0);
    display.SetValue(123456789, true, true);
    const QImage image = Paint(display);
    ExpectCells(image, "123456789");
    // The gaps and the right-hand 20 pixels are left to what lies beneath: 292 of 312 drawn.
    for (int x : {78, 103, 156, 171, 224, 239, 292, 311})
        EXPECT_EQ(image.pixel(x, 20), Beneath) << "x " << x;
    int drawnColumns = 0;
    for (int x = 0; x < image.width(); ++x)
        drawnColumns += image.pixel(x, 0) != Beneath;
    EXPECT_EQ(drawnColumns, 9 * 26);
    EXPECT_EQ(DigitX(8, 26) + 26, 292);
}

TEST_F(AffDigital, BlankingFlags) {
    TAffDigital display(nullptr, 121, 0, 0, 9, 0);
    display.SetValue(1234, true, false);
    EXPECT_EQ(display.Text(), "     1234");
    ExpectCells(Paint(display), "     1234");
    display.SetValue(7, true, false);
    ExpectCells(Paint(display), "        7");
    display.SetValue(0, true, false);
    ExpectCells(Paint(display), "        0");
    display.SetValue(0, true, true);
    ExpectCells(Paint(display), "         "); // every position redrawn as the blank cell
    display.SetValue(0, false, true);
    EXPECT_EQ(display.Text(), "000000000");
    display.SetValue(1200, false, false);
    ExpectCells(Paint(display), "000001200");
}

TEST_F(AffDigital, ValuesThatDoNotFitShowBlankNotAnotherNumber) {
    TAffDigital display(nullptr, 121, 0, 0, 9, 0);
    display.SetValue(-5, true, false);
    EXPECT_EQ(display.Text(), std::string(9, ' '));
    ExpectCells(Paint(display), "         ");
    display.SetValue(1234567890, false, false);
    EXPECT_EQ(display.Text(), std::string(9, ' '));
    display.SetValue(-2147483647 - 1, false, false);
    EXPECT_EQ(display.Text(), std::string(9, ' '));
    EXPECT_EQ(display.Value(), -2147483647 - 1);
}

TEST_F(AffDigital, ShortDisplaysDrawOnlyTheGapsTheyReach) {
    TAffDigital three(nullptr, 1, 0, 0, 3, 0);
    three.SetValue(987, false, false);
    const QImage small = Paint(three);
    EXPECT_EQ(small.width(), 6 * 26);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(ShowsCell(small, i * 26, 9 - i));

    TAffDigital five(nullptr, 1, 0, 0, 5, 0);
    five.SetValue(12345, false, false);
    const QImage image = Paint(five);
    EXPECT_TRUE(ShowsCell(image, 52, 3));
    EXPECT_EQ(image.pixel(78, 10), Beneath);
    EXPECT_TRUE(ShowsCell(image, 104, 4));
    EXPECT_TRUE(ShowsCell(image, 130, 5)); // no second gap before a sixth digit that is not there
}

// A text shows position by position: digits as their cells, anything the strip has no cell for
// (a sign, the board's 'A', the end of a short text) as the blank cell.
class AffDigitalText : public AffDigital,
                       public ::testing::WithParamInterface<std::pair<const char*, const char*>> {};

TEST_P(AffDigitalText, ShowsEachPositionOfTheText) {
    const auto& [text, shown] = GetParam();
    TAffDigital display(nullptr, 121, 0, 0, 9, 0);
    display.SetText(42, text);
    EXPECT_EQ(display.Text(), shown);
    EXPECT_EQ(display.Value(), 42);
    ExpectCells(Paint(display), shown);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, AffDigitalText,
    ::testing::Values(std::pair{"        0", "        0"}, std::pair{"147483647", "147483647"},
                      std::pair{"-00000005", " 00000005"}, std::pair{"A47483648", " 47483648"},
                      std::pair{"12", "12       "}, std::pair{"1234567890", "123456789"}));

} // namespace
