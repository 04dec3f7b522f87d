// Showing a value in a line edit whose typing limit is shorter than the value's text: the
// limit binds what the user types, not what the program shows, so the text is never cut into
// another value.
#pragma once

#include <QLineEdit>

inline void SetTextPastLimit(QLineEdit* edit, const QString& text, int limit) {
    if (text.size() > limit) {
        edit->setMaxLength(static_cast<int>(text.size()));
        edit->setText(text);
    } else {
        edit->setText(text);
        edit->setMaxLength(limit);
    }
}
