// The about box on the offscreen platform: its texts, what it paints, its geometry and how its
// modal run ends.
#include "windows/TCopyRight.h"

#include "resources/Pictures.h"

#include <QElapsedTimer>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

constexpr int ShortDisplay = 200;
constexpr int LongDisplay = 60000;
constexpr int F = TModalWindow::FrameWidth;

// Runs the box, doing `during` once its loop is up; a stuck box is ended with OK after 10 s so
// that a failure shows as a wrong result instead of a hang.
int RunWith(TModalWindow& box, const std::function<void()>& during) {
    QTimer::singleShot(0, &box, during);
    QTimer::singleShot(10000, &box, [&box] { box.CmOk(); });
    return box.Execute();
}

QImage Rendered(QWidget& box) {
    QImage image(box.size(), QImage::Format_RGB32);
    box.render(&image);
    return image;
}

// Counts the pixels of the client rectangle that pass a test.
int CountPixels(const QImage& image, QRect client, const std::function<bool(QRgb)>& test) {
    int count = 0;
    const QRect area = client.translated(F, F);
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += test(image.pixel(x, y));
    return count;
}

// Nothing drawn: every pixel has the colour of the rectangle's first one.
bool IsBlank(const QImage& image, QRect client) {
    const QRgb ground = image.pixel(client.topLeft() + QPoint(F, F));
    return CountPixels(image, client, [ground](QRgb p) { return p == ground; }) ==
           client.width() * client.height();
}

// Text rows of the copyright line (y 90 and its white copy at 91, 18-pixel cells) and of the
// extra line (y 71, 12-pixel cells), across the text column.
const QRect CopyrightRows(107, 90, 180, 19);
const QRect ExtraRows(107, 71, 180, 12);

TEST(TCopyRightTexts, VersionLineWithAndWithoutDate) {
    TCopyRight dated(nullptr, 310, 160, "Kadrant", "1e", "11-06-2004", "", "", 122, 0);
    EXPECT_EQ(dated.VersionLine(), "Version: 1e  -  11-06-2004");
    TCopyRight undated(nullptr, 310, 160, "Kadrant", "1e", "", "", "", 122, 0);
    EXPECT_EQ(undated.VersionLine(), "Version: 1e");
    TCopyRight nullDate(nullptr, 310, 160, "Kadrant", "1e", nullptr, nullptr, nullptr, 122, 0);
    EXPECT_EQ(nullDate.VersionLine(), "Version: 1e");
}

TEST(TCopyRightPaint, CopyrightAndExtraLinesDrawnOnlyWhenNotEmpty) {
    TCopyRight plain(nullptr, 310, 160, "Kadrant", "1e", "11-06-2004", "", "", 122, 0);
    const QImage bare = Rendered(plain);
    EXPECT_TRUE(IsBlank(bare, CopyrightRows));
    EXPECT_TRUE(IsBlank(bare, ExtraRows));

    TCopyRight full(nullptr, 310, 160, "Kadrant", "1e", "11-06-2004", CopyrightLine, "Beta", 122,
                    0);
    const QImage texts = Rendered(full);
    const int ground = qGray(bare.pixel(CopyrightRows.topLeft() + QPoint(F, F)));
    auto black = [](QRgb p) { return qGray(p) < 40; };
    auto whiter = [ground](QRgb p) { return qGray(p) > ground + 8; };
    auto darkBlue = [](QRgb p) { return qBlue(p) > qRed(p) + 40 && qRed(p) < 80; };
    EXPECT_GT(CountPixels(texts, CopyrightRows, black), 20);
    EXPECT_GT(CountPixels(texts, CopyrightRows, whiter), 20); // the white copy below
    EXPECT_EQ(CountPixels(texts, CopyrightRows, darkBlue), 0);
    EXPECT_GT(CountPixels(texts, ExtraRows, darkBlue), 10);
    EXPECT_EQ(CountPixels(texts, ExtraRows, whiter), 0); // drawn once, without a white copy
}

TEST(TCopyRightPaint, PictureSitsInsideItsSunkenFrame) {
    TCopyRight box(nullptr, 310, 160, "Kadrant", "1e", "11-06-2004", "", "", 122, 0);
    const QImage image = Rendered(box);
    const QImage picture = KadrantPicture(122).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(image.copy(12 + F, 12 + F, 77, 133), picture);
    // The sunken edge: dark on the top-left, light on the bottom-right.
    EXPECT_LT(qGray(image.pixel(10 + F, 40 + F)), qGray(image.pixel(90 + F, 40 + F)));
}

TEST(TCopyRightLayout, ChildrenAtTheirPlacesAndCentredOnTheScreen) {
    TCopyRight box(nullptr, 310, 160, "Kadrant", "1e", "11-06-2004", "", "", 122, 0);
    auto child = [&box](const char* id) { return box.findChild<QWidget*>(id)->geometry(); };
    EXPECT_EQ(child("101"), QRect(97 + F, 3 + F, 198, 113));
    EXPECT_EQ(child("102"), QRect(97 + F, 116 + F, 198, 30));
    EXPECT_EQ(child("103"), QRect(102 + F, 127 + F, 188, 15));
    EXPECT_EQ(box.findChild<QLabel*>("103")->text(), MakerWebAddress);

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(box.geometry(),
              QRect((screen.width() - 310) / 2, (screen.height() - 160) / 2, 310, 160));
    TCopyRight odd(nullptr, 311, 161, "Kadrant", "1e", "", "", "", 122, 0);
    EXPECT_EQ(odd.pos(), QPoint((screen.width() - 311) / 2, (screen.height() - 161) / 2));
    TModalWindow placed(nullptr, "", 5, 7, 100, 50);
    EXPECT_EQ(placed.pos(), QPoint(5, 7));
}

TEST(TCopyRightRun, ClosesItselfAfterTheDisplayTimeDespiteClicksEnterAndEscape) {
    TCopyRight box(nullptr, 310, 160, "Kadrant", "1e", "11-06-2004", "", "", 122, ShortDisplay);
    bool upAfterInput = false;
    QElapsedTimer clock;
    clock.start();
    const int result = RunWith(box, [&] {
        QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(150, 80));
        QTest::mouseClick(box.findChild<QWidget*>("103"), Qt::LeftButton);
        QTest::keyClick(&box, Qt::Key_Return);
        QTest::keyClick(&box, Qt::Key_Enter);
        QTest::keyClick(&box, Qt::Key_Escape);
        upAfterInput = box.isVisible() && box.IsRunning();
    });
    EXPECT_TRUE(upAfterInput);
    EXPECT_EQ(result, TModalWindow::ResultCancel);
    EXPECT_GE(clock.elapsed(), ShortDisplay - 10);
    EXPECT_FALSE(box.isVisible());
}

TEST(TCopyRightRun, AltF4AndTheSystemCloseEndItAtOnceWithCancel) {
    TCopyRight byKey(nullptr, 310, 160, "Kadrant", "1e", "", "", "", 122, LongDisplay);
    EXPECT_EQ(RunWith(byKey, [&] { QTest::keyClick(&byKey, Qt::Key_F4, Qt::AltModifier); }),
              TModalWindow::ResultCancel);
    EXPECT_FALSE(byKey.isVisible());

    TCopyRight bySystem(nullptr, 310, 160, "Kadrant", "1e", "", "", "", 122, LongDisplay);
    EXPECT_EQ(RunWith(bySystem, [&] { bySystem.close(); }), TModalWindow::ResultCancel);

    TCopyRight byOk(nullptr, 310, 160, "Kadrant", "1e", "", "", "", 122, LongDisplay);
    EXPECT_EQ(RunWith(byOk, [&] { byOk.CmOk(); }), TModalWindow::ResultOk);
}

TEST(TCopyRightRun, OtherWindowsDisabledWhileItRunsAndRestoredAfter) {
    QWidget owner;
    owner.show();
    QWidget other;
    other.show();
    QWidget alreadyDisabled;
    alreadyDisabled.setEnabled(false);
    alreadyDisabled.show();

    TCopyRight box(&owner, 310, 160, "Kadrant", "1e", "", "", "", 122, LongDisplay);
    bool ownerEnabled = true, otherEnabled = true, boxEnabled = false;
    const int result = RunWith(box, [&] {
        ownerEnabled = owner.isEnabled();
        otherEnabled = other.isEnabled();
        boxEnabled = box.isEnabled();
        // The owner's window being disabled must not stop the box from taking its own keys.
        QTest::keyClick(&box, Qt::Key_F4, Qt::AltModifier);
    });
    EXPECT_EQ(result, TModalWindow::ResultCancel);
    EXPECT_FALSE(ownerEnabled);
    EXPECT_FALSE(otherEnabled);
    EXPECT_TRUE(boxEnabled);
    EXPECT_TRUE(owner.isEnabled());
    EXPECT_TRUE(other.isEnabled());
    EXPECT_FALSE(alreadyDisabled.isEnabled());
}

TEST(TCopyRightRun, NegativeDisplayTimeStillEndsTheBox) {
    TCopyRight box(nullptr, 310, 160, "Kadrant", "1e", "", "", "", 122, -1);
    EXPECT_EQ(RunWith(box, [] {}), TModalWindow::ResultCancel);
}

} // namespace
