#include "toolkit/TDialogUnits.h"

#include <QFontMetrics>
#include <cmath>
#include <cstring>

namespace {

// a * b / c rounded to the nearest integer, halves away from zero.
int MulDiv(int a, int b, int c) {
    const long long product = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

constexpr TDialogUnits ReferenceUnits{6, 14};

} // namespace

QFont MakeDialogFont(const char* face, int pointSize) {
    QFont font(QString::fromLatin1(face));
    font.setStyleHint(QFont::SansSerif);
    // Sized in pixels so the screen's DPI setting cannot move the layout.
    font.setPixelSize(MulDiv(pointSize, 96, 72));
    return font;
}

TDialogUnits TDialogUnits::Measure(const QFont& font) {
    const QFontMetricsF metrics(font);
    const double letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const int width = static_cast<int>(std::lround(letters));
    // The platform's cell height: ascent and descent each rounded up to whole pixels.
    const int height =
        static_cast<int>(std::ceil(metrics.ascent() - 0.01) + std::ceil(metrics.descent() - 0.01));
    return TDialogUnits{(width / 26 + 1) / 2, height};
}

TDialogUnits TDialogUnits::ForFont(const char* face, int pointSize) {
    const TDialogUnits measured = Measure(MakeDialogFont(face, pointSize));
    const bool reference = std::strcmp(face, "Arial") == 0 && pointSize == 8;
    if (reference &&
        (measured.BaseX != ReferenceUnits.BaseX || measured.BaseY != ReferenceUnits.BaseY))
        return ReferenceUnits;
    if (measured.BaseX <= 0 || measured.BaseY <= 0)
        return ReferenceUnits;
    return measured;
}

int TDialogUnits::X(int units) const {
    return MulDiv(units, BaseX, 4);
}

int TDialogUnits::Y(int units) const {
    return MulDiv(units, BaseY, 8);
}

QRect TDialogUnits::Rect(int x, int y, int width, int height) const {
    const int left = X(x), top = Y(y);
    return QRect(left, top, X(x + width) - left, Y(y + height) - top);
}
