#include "toolkit/TEditTemps.h"

#include "toolkit/TKeyFilter.h"

#include "scoreboard/TTemps.h"
#include "toolkit/TLineText.h"
#include "toolkit/TWinDialog.h"

#include <QKeyEvent>
#include <algorithm>
#include <cstring>

namespace {

// The most a field's text is read to, as the fixed text buffer of the reader allows.
constexpr int MaxReadLength = 27;

QFont CourierFont() {
    // "Courier" resolves to the installed metric-compatible fixed-pitch face.
    QFont font(QStringLiteral("Courier"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setWeight(QFont::Normal);
    font.setPixelSize(11); // 8 points on the 96 DPI screen the dialog is drawn for
    return font;
}

bool IsDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool IsSign(QChar c) {
    return c == QLatin1Char('+') || c == QLatin1Char('-');
}

} // namespace

TTemps& ToolkitTemps() {
    static TTemps temps;
    return temps;
}

TEditTemps::TEditTemps(TWinDialog* dialog, int id, int32_t* milliseconds, const char* pattern)
    : TFilteredEdit(dialog), TBoundControl(dialog, id), Pattern(pattern ? pattern : ""),
      Milliseconds(milliseconds), FieldFont(CourierFont()) {
    TTemps& temps = ToolkitTemps();
    Length = static_cast<int>(std::strlen(temps.Format(0, Pattern.c_str())));
    setMaxLength(Length > 0 ? Length : 1);
    const int32_t zeroMode = temps.ZeroMode;
    temps.ZeroMode = 2;
    Separators = QString::fromLatin1(temps.Format(0, Pattern.c_str()));
    temps.ZeroMode = zeroMode;
    connect(this, &QLineEdit::textChanged, this, &TEditTemps::KeepFixedForm);
}

void TEditTemps::SetUp() {
    setFont(FieldFont);
    ShowValue();
}

void TEditTemps::ShowValue() {
    if (Milliseconds == nullptr)
        return;
    SetTextPastLimit(
        this, QString::fromLatin1(ToolkitTemps().Format(*Milliseconds, Pattern.c_str())), Length);
}

void TEditTemps::StoreValue() {
    if (Milliseconds == nullptr)
        return;
    // Exactly Length characters: cut, or padded with blanks on the right.
    QByteArray text = this->text().left(MaxReadLength).toLatin1().left(Length);
    text.append(QByteArray(Length - text.size(), ' '));
    *Milliseconds = ToolkitTemps().Parse(text.constData(), Pattern.c_str());
}

int32_t TEditTemps::ParseText() const {
    const QByteArray text = this->text().left(MaxReadLength).toLatin1();
    return ToolkitTemps().Parse(text.constData(), Pattern.c_str());
}

bool TEditTemps::IsDigitAt(int position) const {
    const QString current = text();
    return position >= 0 && position < current.size() && IsDigit(current[position]);
}

void TEditTemps::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    ShowEditingForm();
}

void TEditTemps::ShowEditingForm() {
    TTemps& temps = ToolkitTemps();
    const int32_t value = ParseText();
    const int32_t zeroMode = temps.ZeroMode;
    temps.ZeroMode = 2;
    QString full = QString::fromLatin1(temps.Format(value, Pattern.c_str()));
    temps.ZeroMode = zeroMode;
    // A signed field shows its sign in the first column while it is edited.
    if (IsSigned() && !full.isEmpty() && full.front() == QLatin1Char(' '))
        full[0] = QLatin1Char('+');
    SetTextPastLimit(this, full, Length);
    setCursorPosition(IsSigned() ? 1 : 0);
}

void TEditTemps::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (event->reason() == Qt::PopupFocusReason)
        return;
    SetTextPastLimit(this, QString::fromLatin1(ToolkitTemps().Format(ParseText(), Pattern.c_str())),
                     Length);
}

void TEditTemps::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Right:
    case Qt::Key_Up:
        cursorForward(event->modifiers() & Qt::ShiftModifier);
        if (!IsDigitAt(cursorPosition()))
            cursorForward(event->modifiers() & Qt::ShiftModifier);
        return;
    case Qt::Key_Left:
    case Qt::Key_Down:
        cursorBackward(event->modifiers() & Qt::ShiftModifier);
        if (!IsDigitAt(cursorPosition()))
            cursorBackward(event->modifiers() & Qt::ShiftModifier);
        return;
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
        event->accept(); // overwrite editing: nothing is ever removed
        return;
    default:
        break;
    }
    if (HandlesPasteKey(event))
        return;
    if (PassesThroughFilter(event)) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    event->accept();
    if (!IsShortcut(event))
        TypeText(event->text());
}

void TEditTemps::dropEvent(QDropEvent* event) {
    // A drop on a field that is not being edited types into its editing form all the same.
    if (!hasFocus())
        ShowEditingForm();
    TFilteredEdit::dropEvent(event);
}

void TEditTemps::TypeCharacter(QChar typed) {
    if (!IsDigit(typed) && !(IsSign(typed) && IsSigned()))
        return; // backspace and every other character included
    if (IsSign(typed)) {
        // The sign has a column of its own: the first.
        QString current = text();
        if (current.isEmpty())
            return;
        const int caret = cursorPosition();
        current[0] = typed;
        setText(current);
        setCursorPosition(caret == 0 ? 1 : caret);
        return;
    }
    int p = hasSelectedText() ? selectionStart() : cursorPosition();
    if (!IsDigitAt(p)) {
        ++p;
        // Past the last position there is nothing left to type over.
        if (p >= text().size()) {
            setCursorPosition(static_cast<int>(text().size()));
            return;
        }
        setCursorPosition(p);
    }
    // Replace the one character at p by the typed one.
    setSelection(p, 1);
    insert(QString(typed));
    if (text().size() == p + 1)
        return;
    if (!IsDigitAt(p + 1))
        setCursorPosition(p + 2);
}

bool TEditTemps::HasFixedForm(const QString& text) const {
    const qsizetype extra = text.size() - Separators.size();
    if (Separators.isEmpty() || extra < 0)
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar shown = text[i];
        const QChar form = i < extra ? QLatin1Char('0') : Separators[i - extra];
        // Leading zeros, and the separators between them, are blanked when not editing.
        if (shown == QLatin1Char(' '))
            continue;
        const bool free = IsDigit(form) || IsSign(form) || form == QLatin1Char(' ');
        if (free ? !(IsDigit(shown) || IsSign(shown)) : shown != form)
            return false;
    }
    return true;
}

void TEditTemps::KeepFixedForm() {
    if (Repairing)
        return;
    if (HasFixedForm(text())) {
        LastFixedText = text();
        return;
    }
    Repairing = true;
    const int caret = cursorPosition();
    if (text().isEmpty() || !HasFixedForm(LastFixedText)) {
        if (hasFocus())
            ShowEditingForm();
        else
            SetTextPastLimit(this, QString::fromLatin1(ToolkitTemps().Format(0, Pattern.c_str())),
                             Length);
    } else {
        SetTextPastLimit(this, LastFixedText, Length);
    }
    setCursorPosition(std::min(caret, static_cast<int>(text().size())));
    LastFixedText = text();
    Repairing = false;
}
