#include "toolkit/TFilteredEdit.h"

#include "toolkit/TKeyFilter.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QMenu>
#include <QMimeData>

namespace {

// The standard menu's entries, recognised by their translated captions (shortcut text after a tab).
QString Caption(const QAction* action) {
    return action->text().section(QLatin1Char('\t'), 0, 0);
}

} // namespace

void TFilteredEdit::TypeText(const QString& text) {
    for (QChar character : text)
        TypeCharacter(character);
}

void TFilteredEdit::Paste(QClipboard::Mode mode) {
    if (isReadOnly())
        return;
    TypeText(QGuiApplication::clipboard()->text(mode));
}

bool TFilteredEdit::HandlesPasteKey(QKeyEvent* event) {
    // Ctrl+V is a control character to these fields and is dropped with the others.
    if (IsShortcut(event) || !event->matches(QKeySequence::Paste))
        return false;
    event->accept();
    Paste();
    return true;
}

void TFilteredEdit::inputMethodEvent(QInputMethodEvent* event) {
    // Text being composed is not shown: letting the edit control show it would already remove
    // the selection, which a refused character must not do. Only the committed text counts.
    event->accept();
    if (!event->commitString().isEmpty())
        TypeText(event->commitString());
}

QMenu* TFilteredEdit::CreateFieldMenu() {
    QMenu* menu = createStandardContextMenu();
    const QString paste = QLineEdit::tr("&Paste");
    const QStringList removing{QLineEdit::tr("&Undo"), QLineEdit::tr("&Redo"),
                               QLineEdit::tr("Cu&t"), QLineEdit::tr("Delete")};
    for (QAction* action : menu->actions()) {
        if (Caption(action) == paste) {
            disconnect(action, &QAction::triggered, nullptr, nullptr);
            connect(action, &QAction::triggered, this, [this] { Paste(); });
        } else if (Overwrites() && removing.contains(Caption(action))) {
            action->setEnabled(false);
        }
    }
    return menu;
}

void TFilteredEdit::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = CreateFieldMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void TFilteredEdit::mouseReleaseEvent(QMouseEvent* event) {
    // The middle button pastes the selection clipboard where the system has one.
    if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()) {
        event->accept();
        deselect();
        Paste(QClipboard::Selection);
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void TFilteredEdit::dropEvent(QDropEvent* event) {
    if (isReadOnly() || !event->mimeData()->hasText()) {
        event->ignore();
        return;
    }
    // A copy, never a move: the source keeps its text whatever this field takes of it.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    // Typed keys go to the focused field, in its editing form.
    setFocus(Qt::OtherFocusReason);
    deselect();
    setCursorPosition(cursorPositionAt(event->position().toPoint()));
    TypeText(event->mimeData()->text());
}
