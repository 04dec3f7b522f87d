// The embedded pictures: every id the dialogs use loads at the size their layouts rest on.
#include "resources/Pictures.h"

#include <gtest/gtest.h>

namespace {

struct PictureSize {
    int id;
    int width;
    int height;
};

constexpr PictureSize kPictureSizes[] = {
    {115, 26, 430}, {116, 20, 19},  {117, 20, 19}, {119, 59, 13},  {120, 48, 14},
    {121, 60, 14},  {122, 77, 133}, {123, 20, 20}, {124, 312, 61},
};

const QRgb kButtonFace = qRgb(192, 192, 192);

TEST(KadrantPicture, EveryIdLoadsAtItsExactSize) {
    for (const auto& expected : kPictureSizes) {
        const QImage picture = KadrantPicture(expected.id);
        ASSERT_FALSE(picture.isNull()) << "picture " << expected.id;
        EXPECT_EQ(picture.width(), expected.width) << "picture " << expected.id;
        EXPECT_EQ(picture.height(), expected.height) << "picture " << expected.id;
    }
}

TEST(KadrantPicture, UnknownIdsGiveNullImages) {
    for (int id : {0, -1, 10, 114, 118, 125, 65535})
        EXPECT_TRUE(KadrantPicture(id).isNull()) << "id " << id;
}

TEST(KadrantPicture, DigitStripHasLitDigitsAndABlankLastCell) {
    const QImage strip = KadrantPicture(115).convertToFormat(QImage::Format_RGB32);
    const int cellHeight = strip.height() / 11;
    ASSERT_EQ(cellHeight, 39);
    auto litPixels = [&](int cell) {
        int lit = 0;
        for (int y = cell * cellHeight; y < (cell + 1) * cellHeight; ++y)
            for (int x = 0; x < strip.width(); ++x)
                if (qRed(strip.pixel(x, y)) > 128 && qBlue(strip.pixel(x, y)) < 64)
                    ++lit;
        return lit;
    };
    for (int digit = 0; digit < 10; ++digit)
        EXPECT_GT(litPixels(digit), 40) << "digit " << digit;
    // 8 lights every segment, 1 only two of them.
    EXPECT_GT(litPixels(8), litPixels(0));
    EXPECT_GT(litPixels(0), 2 * litPixels(1));
    EXPECT_EQ(litPixels(10), 0);
}

TEST(KadrantPicture, ButtonPicturesShowTheButtonFaceAtTheirCorners) {
    for (int id : {116, 117, 119, 120, 121, 123}) {
        const QImage picture = KadrantPicture(id).convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(picture.pixel(0, 0), kButtonFace) << "picture " << id;
        EXPECT_EQ(picture.pixel(picture.width() - 1, picture.height() - 1), kButtonFace)
            << "picture " << id;
    }
}

TEST(KadrantPicture, ProductPictureIsOpaque) {
    EXPECT_FALSE(KadrantPicture(122).hasAlphaChannel());
}

TEST(KadrantIcon, IconTenHasBothSizesAndOtherIdsNone) {
    const QIcon icon = KadrantIcon(10);
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.pixmap(QSize(32, 32)).size(), QSize(32, 32));
    EXPECT_EQ(icon.availableSizes().size(), 2);
    EXPECT_TRUE(KadrantIcon(122).isNull());
    EXPECT_TRUE(KadrantIcon(0).isNull());
}

} // namespace
