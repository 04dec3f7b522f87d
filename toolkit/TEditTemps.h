// A time field bound to a millisecond count, shown and typed through a TTemps pattern such as
// "hhmmss": overwrite editing in a fixed-pitch font, the caret stepping over the separators,
// every digit shown while focused and leading zeros blanked otherwise.
#pragma once

#include "toolkit/TWindowControl.h"

#include <QLineEdit>
#include <cstdint>
#include <string>

class TTemps;

// The toolkit's one TTemps, through which every time field formats and parses.
TTemps& ToolkitTemps();

class TEditTemps : public QLineEdit, public TBoundControl {
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

private:
    int32_t ParseText() const;
    bool IsSigned() const { return !Pattern.empty() && Pattern.front() == '-'; }
    bool IsDigitAt(int position) const;
    void TypeCharacter(QChar typed);

    int32_t* Milliseconds;
    int Length; // characters of the formatted text
    QFont FieldFont;
};
