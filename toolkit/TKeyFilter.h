// What a key press means to an input field that filters what is typed.
#pragma once

#include <QKeyEvent>

inline bool IsShortcut(const QKeyEvent* event) {
    return event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier);
}

// Keys the dialog or the edit control itself handles (Enter, Escape, focus moves, caret
// movement such as Home and End), as opposed to typed characters.
inline bool PassesThroughFilter(const QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return true;
    default:
        return event->text().isEmpty() && !IsShortcut(event);
    }
}
