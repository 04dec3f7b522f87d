#include "toolkit/TEditNum.h"

#include "toolkit/TKeyFilter.h"

#include "toolkit/TAlert.h"
#include "toolkit/TLangue.h"
#include "toolkit/TLineText.h"
#include "toolkit/TWinDialog.h"

#include <QAbstractButton>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QTimer>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

constexpr long long ReadLimit = std::numeric_limits<long long>::max() / 10 - 1;

double PowerOfTen(int exponent) {
    return std::pow(10.0, exponent);
}

long long ClampToLongLong(double x) {
    if (!(x == x))
        return 0;
    if (x >= 9.2e18)
        return std::numeric_limits<long long>::max();
    if (x <= -9.2e18)
        return std::numeric_limits<long long>::min();
    return static_cast<long long>(x);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// What from_chars leaves unset: a number too large for a double reads as infinity, one too
// small as 0. The decimal exponent's sign tells which.
double OutOfRange(const char* p, const char* end) {
    long long exponent = 0;
    bool seenPoint = false, significant = false;
    for (; p < end && (IsDigit(*p) || (*p == '.' && !seenPoint)); ++p) {
        if (*p == '.')
            seenPoint = true;
        else if (*p != '0')
            significant = true;
        else if (!significant && seenPoint)
            --exponent; // a zero between the point and the first significant digit
        if (IsDigit(*p) && significant && !seenPoint)
            ++exponent;
    }
    if (p < end && (*p == 'e' || *p == 'E')) {
        ++p;
        const bool negative = p < end && *p == '-';
        if (p < end && (*p == '+' || *p == '-'))
            ++p;
        long long value = 0;
        for (; p < end && IsDigit(*p); ++p)
            value = std::min(value * 10 + (*p - '0'), ReadLimit);
        exponent += negative ? -value : value;
    }
    return exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
}

template <class T> T ClampTo(long long value) {
    if (value < static_cast<long long>(std::numeric_limits<T>::min()))
        return std::numeric_limits<T>::min();
    if (value > static_cast<long long>(std::numeric_limits<T>::max()))
        return std::numeric_limits<T>::max();
    return static_cast<T>(value);
}

} // namespace

template <class T>
TEditNum::TEditNum(TWinDialog* dialog, int id, T* value, int digits, int decimals, int min, int max,
                   int)
    : TFilteredEdit(dialog), TBoundControl(dialog, id), Digits(digits),
      Decimals(decimals < 0 ? 0 : decimals), Min(min), Max(max), Bound(value) {
    setMaxLength(TextLimit());
}

TEditNum::TEditNum(TWinDialog* dialog, int id, int32_t* value, int digits, int decimals, int min,
                   int max)
    : TEditNum(dialog, id, value, digits, decimals, min, max, 0) {}
TEditNum::TEditNum(TWinDialog* dialog, int id, uint32_t* value, int digits, int decimals, int min,
                   int max)
    : TEditNum(dialog, id, value, digits, decimals, min, max, 0) {}
TEditNum::TEditNum(TWinDialog* dialog, int id, int16_t* value, int digits, int decimals, int min,
                   int max)
    : TEditNum(dialog, id, value, digits, decimals, min, max, 0) {}
TEditNum::TEditNum(TWinDialog* dialog, int id, uint16_t* value, int digits, int decimals, int min,
                   int max)
    : TEditNum(dialog, id, value, digits, decimals, min, max, 0) {}

void TEditNum::SetUp() {
    ShowValue();
    setFont(Dialog()->DialogFont());
}

void TEditNum::ShowValue() {
    const long long value = std::visit(
        [](auto* variable) { return variable ? static_cast<long long>(*variable) : 0LL; }, Bound);
    // QString::number ignores the system locale: the point stays a point.
    const QString text =
        Decimals == 0
            ? QString::number(value)
            : QString::number(static_cast<double>(value) / PowerOfTen(Decimals), 'f', Decimals);
    SetTextPastLimit(this, text, TextLimit());
}

void TEditNum::StoreValue() {
    const long long value = ReadNumber(true);
    // A number the variable cannot hold is clamped to its range, never wrapped into another.
    std::visit(
        [value](auto* variable) {
            if (variable)
                *variable = ClampTo<std::remove_pointer_t<decltype(variable)>>(value);
        },
        Bound);
}

long long TEditNum::ReadNumber(bool trailingMinus) const {
    // Typing stops at Digits + 1 characters; a longer text was shown by the program and is read
    // whole, so storing it back gives the same number.
    const QByteArray text = this->text().left(std::max(Digits + 1, 32)).toLatin1();
    const char* p = text.constData();
    const char* end = p + text.size();
    while (p < end &&
           (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f'))
        ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-'))
        negative = *p++ == '-';

    long long value = 0;
    if (Decimals == 0) {
        for (; p < end && *p >= '0' && *p <= '9'; ++p)
            value =
                value > ReadLimit ? std::numeric_limits<long long>::max() : value * 10 + (*p - '0');
        if (negative)
            value = value == std::numeric_limits<long long>::max()
                        ? std::numeric_limits<long long>::min()
                        : -value;
    } else {
        double x = 0.0;
        // Only a decimal number: from_chars would also take a second sign, "inf" and "nan".
        if (p < end && (IsDigit(*p) || (*p == '.' && p + 1 < end && IsDigit(p[1]))))
            if (std::from_chars(p, end, x, std::chars_format::general).ec ==
                std::errc::result_out_of_range)
                x = OutOfRange(p, end);
        if (negative)
            x = -x;
        value = ClampToLongLong(std::floor(x * PowerOfTen(Decimals) + 0.1));
    }
    if (trailingMinus && !text.isEmpty() && text.back() == '-')
        value = value == std::numeric_limits<long long>::min()
                    ? std::numeric_limits<long long>::max()
                    : -value;
    return value;
}

bool TEditNum::AcceptsCharacter(QChar c) const {
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c == QLatin1Char('-') && Min < 0) ||
           (c == QLatin1Char('.') && Decimals > 0);
}

void TEditNum::keyPressEvent(QKeyEvent* event) {
    if (HandlesPasteKey(event))
        return;
    const bool erases = event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete;
    if (erases || PassesThroughFilter(event)) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    // Every other character, control characters and clipboard shortcuts included, is dropped.
    event->accept();
    if (!IsShortcut(event))
        TypeText(event->text());
}

void TEditNum::TypeCharacter(QChar typed) {
    if (typed == QChar(8))
        backspace();
    else if (AcceptsCharacter(typed))
        insert(QString(typed));
}

void TEditNum::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // A context menu leaves the field being edited; a closing window is no time for a message.
    if (event->reason() == Qt::PopupFocusReason || !isVisible() || Closing())
        return;
    CheckRange();
}

QString TEditNum::RangeMessage() const {
    const long long value = ReadNumber(false);
    if (value >= Min && value <= Max)
        return {};
    const TRangeMessage& row = LanguageRow(RangeMessages);
    const QByteArray format =
        QString::fromLatin1(Decimals == 0 ? row.Integer : row.WithDecimals).toUtf8();
    // QString::asprintf keeps the point a point whatever the system locale.
    return Decimals == 0
               ? QString::asprintf(format.constData(), Min, Max)
               : QString::asprintf(format.constData(), Decimals, Min / PowerOfTen(Decimals),
                                   Decimals, Max / PowerOfTen(Decimals));
}

bool TEditNum::CheckRange() {
    if (Checking)
        return true;
    const QString message = RangeMessage();
    if (message.isEmpty())
        return true;
    Checking = true;
    AlertBeep();
    AlertExclamation(this, message, QString::fromLatin1(LanguageRow(RangeMessages).Caption));
    ShowValue();
    if (!Closing()) {
        // Without a window manager nothing hands the activation back once the box is gone, and
        // a field of an inactive window is left without notice.
        window()->activateWindow();
        setFocus(Qt::OtherFocusReason);
        ReleasePressedButtons();
    }
    Checking = false;
    return false;
}

void TEditNum::ReleasePressedButtons() {
    // A click that took the focus from here pressed its button after the box had taken the
    // release: the button would stay drawn pressed although it was never clicked.
    QTimer::singleShot(0, this, [this] {
        for (QAbstractButton* button : window()->findChildren<QAbstractButton*>())
            if (button->isDown())
                button->setDown(false);
    });
}
