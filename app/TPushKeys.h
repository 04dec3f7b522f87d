// The keys of the main window's push buttons, for an operator who watches the pool and not the
// screen, or who holds a presenter clicker (which types Page Down and Page Up): F5 and Page Down
// press the first button, F6 and Page Up the second, F7 RESET, wherever the focus is in the
// window. A held key presses once.
#pragma once

#include <QObject>

class TDialogKD;

// The control a key presses, or 0. Only the bare key counts: with Ctrl, Alt or Shift held it is
// left to the focused control.
int PushKeyControl(int key, Qt::KeyboardModifiers modifiers);

class TPushKeys : public QObject {
    Q_OBJECT

public:
    // Watches the keys of the whole application for the dialog's window; a child of the dialog.
    explicit TPushKeys(TDialogKD& dialog);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TDialogKD& Dialog;
};
