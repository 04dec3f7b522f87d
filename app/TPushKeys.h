// The keys of the main window's push buttons, for an operator who watches the pool and not the
// screen, or who holds a presenter clicker (which types Page Down and Page Up): F5 and Page Down
// press the first button, F6 and Page Up the second, F7 RESET, wherever the focus is in the
// window. A held key presses once, however the system reports its repeats.
#pragma once

#include <QObject>
#include <map>
#include <set>

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
    // Keys pressed and not yet released. An X server with detectable auto-repeat sends a held
    // key as presses not marked as repeats, so a second press before the release is a repeat.
    std::set<int> Held;
    // Without it, the X server sends a held key as release-press pairs that carry one time
    // stamp; the release's time per key tells such a press from a new one.
    std::map<int, unsigned long> ReleaseTime;
};
