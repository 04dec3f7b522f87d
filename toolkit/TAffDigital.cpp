#include "toolkit/TAffDigital.h"

#include "resources/Pictures.h"

#include <QPainter>
#include <string>

namespace {

constexpr int StripCells = 11;
constexpr int BlankCell = 10;
constexpr int GroupGapShift = 10; // the second and third gaps are this much narrower than a cell

} // namespace

TAffDigital::TAffDigital(QWidget* parent, int id, int x, int y, int digits, int initialValue)
    : QWidget(parent), Digits(digits < 0 ? 0 : digits), CtrlId(id), CurrentValue(initialValue),
      Digits_(static_cast<std::size_t>(Digits), ' ') {
    // The strip is loaded once; painting only copies cells from it.
    Strip = QPixmap::fromImage(KadrantPicture(picture::DigitStrip));
    Cell = QSize(Strip.width(), Strip.height() / StripCells);
    setGeometry(x, y, (Digits + 3) * Cell.width(), Cell.height());
    // No background of its own: the gaps show what lies beneath.
    setAutoFillBackground(false);
}

void TAffDigital::SetValue(int value, bool blankLeadingZeros, bool blankZero) {
    CurrentValue = value;
    std::string text = std::to_string(value);
    if (value < 0 || static_cast<int>(text.size()) > Digits) {
        Digits_.assign(static_cast<std::size_t>(Digits), ' ');
    } else {
        Digits_ = std::string(static_cast<std::size_t>(Digits) - text.size(), '0') + text;
        if (blankLeadingZeros) {
            for (int i = 0; i < Digits && Digits_[i] == '0'; ++i) {
                if (i == Digits - 1 && !blankZero)
                    break;
                Digits_[i] = ' ';
            }
        }
    }
    update();
}

void TAffDigital::SetText(int value, const char* text) {
    CurrentValue = value;
    bool ended = text == nullptr;
    for (char& position : Digits_) {
        ended = ended || *text == '\0';
        const char c = ended ? ' ' : *text++;
        position = c >= '0' && c <= '9' ? c : ' ';
    }
    update();
}

void TAffDigital::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int w = Cell.width(), h = Cell.height();
    int slot = 0, shift = 0;
    bool gapPending = true;
    for (int i = 0; i < Digits;) {
        if ((i == 3 || i == 5 || i == 7) && gapPending) {
            if (i != 3)
                shift += GroupGapShift;
            ++slot;
            gapPending = false;
            continue;
        }
        gapPending = true;
        const char c = Digits_[static_cast<std::size_t>(i)];
        const int cell = c >= '0' && c <= '9' ? c - '0' : BlankCell;
        painter.drawPixmap(QPoint(slot * w - shift, 0), Strip, QRect(0, cell * h, w, h));
        ++i;
        ++slot;
    }
}
