// A number field bound to a 32- or 16-bit integer, with a digit count, implied decimals and an
// accepted range. It lets only number characters through and, when it loses the focus holding
// a value out of range, beeps, shows the range message and takes the focus back.
#pragma once

#include "toolkit/TFilteredEdit.h"
#include "toolkit/TWinDialog.h"
#include "toolkit/TWindowControl.h"

#include <cstdint>
#include <variant>

class TEditNum : public TFilteredEdit, public TBoundControl {
    Q_OBJECT

public:
    TEditNum(TWinDialog* dialog, int id, int32_t* value, int digits, int decimals, int min,
             int max);
    TEditNum(TWinDialog* dialog, int id, uint32_t* value, int digits, int decimals, int min,
             int max);
    TEditNum(TWinDialog* dialog, int id, int16_t* value, int digits, int decimals, int min,
             int max);
    TEditNum(TWinDialog* dialog, int id, uint16_t* value, int digits, int decimals, int min,
             int max);

    QWidget* Window() override { return this; }
    void SetUp() override;
    void ShowValue() override;
    void StoreValue() override;

    // The number the text holds, in units of the variable. A text with more digits than any
    // integer holds reads as the largest (or smallest) 64-bit value rather than wrapping.
    long long ReadNumber(bool trailingMinus) const;

    // The range message for the number the text holds, or an empty text while it is in range.
    QString RangeMessage() const;
    // Out of range: beeps, shows the range message, puts the variable's value back in the text
    // and takes the focus. Returns 1 when the number was in range.
    bool CheckRange();

    const int Digits;
    const int Decimals;
    const int Min;
    const int Max;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void TypeCharacter(QChar typed) override;

private:
    template <class T>
    TEditNum(TWinDialog* dialog, int id, T* value, int digits, int decimals, int min, int max,
             int /*tag*/);
    // Digits + 1 characters: room for a sign or a point.
    int TextLimit() const { return Digits + 1 > 0 ? Digits + 1 : 1; }
    bool AcceptsCharacter(QChar c) const;
    void ReleasePressedButtons();
    bool Closing() const { return Dialog() && Dialog()->IsClosing(); }

    std::variant<int32_t*, uint32_t*, int16_t*, uint16_t*> Bound;
    bool Checking = false;
};
