// The on-screen image of the scoreboard: a row of seven-segment digits copied cell by cell from
// the digit strip (picture 115: cells 0 to 9, then a blank cell), grouped 3-2-2-2.
#pragma once

#include <QPixmap>
#include <QWidget>
#include <string>

class TAffDigital : public QWidget {
    Q_OBJECT

public:
    // Placed at (x, y) in the parent's pixels; (digits + 3) cells wide, one cell high. Starts
    // blank: the initial value is kept but not shown.
    TAffDigital(QWidget* parent, int id, int x, int y, int digits, int initialValue);

    // Shows value padded with zeros to Digits digits. blankLeadingZeros turns leading zeros into
    // blanks, the last position only if blankZero is set too. A value that does not fit (negative,
    // or more digits than positions) shows every position blank, never part of a number.
    void SetValue(int value, bool blankLeadingZeros, bool blankZero);
    // Shows text as the image of value, one character a position from the left: a digit shows
    // its cell, anything else (a blank, a sign, the end of a short text) the blank cell.
    void SetText(int value, const char* text);

    int Id() const { return CtrlId; }
    int Value() const { return CurrentValue; }
    // One character a position: '0' to '9' or a blank.
    const std::string& Text() const { return Digits_; }
    int CellWidth() const { return Cell.width(); }
    int CellHeight() const { return Cell.height(); }

    const int Digits;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int CtrlId;
    int CurrentValue;
    std::string Digits_;
    QPixmap Strip;
    QSize Cell;
};
