// A time field bound to a millisecond count, shown and typed through a TTemps pattern such as
// "hhmmss": overwrite editing in a fixed-pitch font, the caret stepping over the separators,
// every digit shown while focused and leading zeros blanked otherwise.
#pragma once

#include "toolkit/TFilteredEdit.h"
#include "toolkit/TWindowControl.h"

#include <cstdint>
#include <string>

class TTemps;

// The toolkit's one TTemps, through which every time field formats and parses.
TTemps& ToolkitTemps();

class TEditTemps : public TFilteredEdit, public TBoundControl {
    Q_OBJECT

public:
    // A pattern starting with '-' makes the field signed.
    TEditTemps(TWinDialog* dialog, int id, int32_t* milliseconds, const char* pattern);

    QWidget* Window() override { return this; }
    void SetUp() override;
    void ShowValue() override;
    void StoreValue() override;

    const std::string Pattern;

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void TypeCharacter(QChar typed) override;
    bool Overwrites() const override { return true; }

private:
    int32_t ParseText() const;
    bool IsSigned() const { return !Pattern.empty() && Pattern.front() == '-'; }
    bool IsDigitAt(int position) const;
    // Every digit position shown, the caret at the first one: the form the field is edited in.
    void ShowEditingForm();
    // Whether text is laid out as the pattern lays it out: each separator (or a blank) in its
    // column, counted from the right as the hours may take more columns, and only digits,
    // blanks or signs between them.
    bool HasFixedForm(const QString& text) const;
    // Puts the fixed form back after a change that broke it: an emptied field shows zero, any
    // other change is undone.
    void KeepFixedForm();

    int32_t* Milliseconds;
    int Length; // characters of the formatted text
    QFont FieldFont;
    QString Separators; // the text of the value 0 with every digit shown: the fixed form
    QString LastFixedText;
    bool Repairing = false;
};
