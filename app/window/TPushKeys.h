// The keys of the main window's push buttons, for an operator who watches the pool and not the
// screen, or who holds a presenter clicker (which types Page Down and Page Up): each key of
// PushKeyMap presses its button wherever the focus is in the window. A held key presses once,
// however the system reports its repeats.
#pragma once

#include "app/timing/TMainControls.h"

#include <QObject>
#include <QString>
#include <map>
#include <set>

class TDialogKD;

struct TPushKey {
    Qt::Key Key;
    int Control;
    const char* Name; // as the button's tooltip names it
};

// The one key map: the key filter reads it, and so do the buttons' tooltips, in this order.
inline constexpr TPushKey PushKeyMap[] = {
    {Qt::Key_F5, IdStart, "F5"}, {Qt::Key_PageDown, IdStart, "Page Down"},
    {Qt::Key_F6, IdStop, "F6"},  {Qt::Key_PageUp, IdStop, "Page Up"},
    {Qt::Key_F7, IdReset, "F7"},
};

// The control a key presses, or 0. Only the bare key counts: with Ctrl, Alt or Shift held it is
// left to the focused control.
int PushKeyControl(int key, Qt::KeyboardModifiers modifiers);

// A push button's tooltip: the names of the keys that press it ("F5, Page Down").
QString PushKeyTip(int control);

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
