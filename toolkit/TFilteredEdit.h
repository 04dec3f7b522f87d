// A line edit whose every way in for text (typed keys, text committed by an input method, the
// paste of Shift+Insert, of the context menu and of the middle button, drag and drop) goes one
// character at a time through the field's own rule for a typed character, so nothing reaches the
// text that a typed key could not put there.
#pragma once

#include <QClipboard>
#include <QLineEdit>

class QMenu;

class TFilteredEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit TFilteredEdit(QWidget* parent) : QLineEdit(parent) {}

    // Types each character of text as if its key had been pressed.
    void TypeText(const QString& text);
    // Types the clipboard's text (the selection clipboard for the middle button).
    void Paste(QClipboard::Mode mode = QClipboard::Clipboard);
    // The context menu the field shows: its Paste types, and an overwrite field offers nothing
    // that removes characters.
    QMenu* CreateFieldMenu();

protected:
    // The field's rule for one typed character: insert it, overwrite with it or drop it.
    virtual void TypeCharacter(QChar typed) = 0;
    // An overwrite field never removes characters: no cut, delete, undo or redo.
    virtual bool Overwrites() const { return false; }
    // A key that pastes without being a control shortcut (Shift+Insert); the caller types the
    // clipboard and drops the key.
    bool HandlesPasteKey(QKeyEvent* event);

    void inputMethodEvent(QInputMethodEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};
