// The dialog base: a widget built from a dialog template that keeps the dialog's bound controls
// in nine lists and copies values between the controls and their variables in two sweeps.
//
// A derived dialog, in its constructor, creates each control object with the dialog as parent
// and adds it to the list of its class (two separate steps). The set-up step StartUp, run once
// by Create() or by the first show, creates the template's controls: an item whose id matches a
// control object created earlier gets that object, placed and captioned, and then the object's
// SetUp runs (font, ShowValue); every other item gets a plain widget.
#pragma once

#include "toolkit/TControlList.h"
#include "toolkit/TDialogTemplate.h"
#include "toolkit/TDialogUnits.h"
#include "toolkit/TEventTable.h"

#include <QFont>
#include <QWidget>
#include <map>

class TBoundControl;
class TDecGroupBox;
class TEditAlpha;
class TEditCheck;
class TEditCombo;
class TEditNum;
class TEditRadio;
class TEditStatic;
class TEditTemps;
class TWindowControl;

class TWinDialog : public QWidget {
    Q_OBJECT

public:
    // The template registered under templateId (an unknown id gives an empty dialog). The
    // template is copied; item texts must outlive the dialog (literals do).
    TWinDialog(QWidget* parent, int templateId);
    TWinDialog(QWidget* parent, const TDialogTemplate& dialogTemplate);
    ~TWinDialog() override;

    TControlList<TEditStatic> StaticList;
    TControlList<TEditAlpha> AlphaList;
    TControlList<TEditNum> NumList;
    TControlList<TBoundControl> DateList; // no date field is built; any bound control may go here
    TControlList<TEditTemps> TempsList;
    TControlList<TEditCheck> CheckList;
    TControlList<TEditRadio> RadioList;
    TControlList<TEditCombo> ComboList;
    TControlList<TDecGroupBox> GroupBoxList;
    int Updating = 0; // 1 exactly while TransferToControls fills the controls

    void TransferToControls();
    // Does nothing between the start of the set-up step and the end of the base's StartUp,
    // while the controls are still empty.
    void TransferFromControls();
    virtual void ControlsUpdated() {}

    // Runs StartUp once; later calls do nothing.
    void Create();
    bool IsCreated() const { return Created; }

    // Result 1 stores every control first; then the window closes unless QueryClose refuses.
    void CloseWithResult(int result);
    int Result() const { return CloseResult; }
    // Asked before the window closes (by this dialog, or by the frame it is the client of).
    virtual bool QueryClose() { return true; }
    // Whoever closes the window (this dialog, its frame, a stop from outside) marks the close
    // as under way before QueryClose, and takes the mark back if the close is refused. While it
    // is set, leaving a field shows no message and blocks nothing.
    void SetClosing(bool closing) { Closing = closing; }
    bool IsClosing() const { return Closing; }

    // A command from a control or from the keyboard. Command 1 (Enter in a field, or a control
    // with id 1) is dropped unless the focused control has id 1.
    void Command(TNotify kind, int id);

    // The template control with this id (the first one, if several share it), or null.
    QWidget* Control(int id) const;
    // The template id of a control, or NoControlId.
    int ControlId(const QWidget* control) const;

    const QFont& DialogFont() const { return Font; }
    const TDialogUnits& Units() const { return DialogUnits; }

    // Window timers by id; each expiry is a TNotify::Timer notification with the timer id.
    // Setting an id again restarts it with the new period. Return 1 on success.
    int SetTimer(int timerId, int periodMs);
    // The same, with the first expiry firstDelayMs from now and the next ones every periodMs
    // after it: puts a running timer's expiries at a chosen phase.
    int SetTimer(int timerId, int periodMs, int firstDelayMs);
    int KillTimer(int timerId);

    // The colours the dialog gives its group-box captions and framed bound static texts.
    void ApplyControlColors(QWidget* child);

protected:
    // The set-up step: creates the template's controls. A derived dialog that overrides it
    // calls this at the point its own set-up needs the controls.
    virtual void StartUp();
    // Searches the event tables; a derived dialog searches its own table and then calls this.
    // The base answers command 1 and 2 (Escape) by closing with that result.
    virtual bool Dispatch(TNotify kind, int id);

    void keyPressEvent(QKeyEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* CreateItem(const TDialogItem& item, const std::map<int, TWindowControl*>& objects);
    void ConnectNotifications(QWidget* widget, int id);

    const TDialogTemplate Template; // a copy: a template made on the fly may be gone later
    QFont Font;
    TDialogUnits DialogUnits;
    bool Created = false;
    bool ControlsReady = false; // the set-up step has made the template's controls
    bool Closing = false;
    int CloseResult = 0;
    std::map<int, QWidget*> ControlsById;
    std::map<const QWidget*, int> IdsByControl;
    std::map<int, int> Timers; // timer id -> Qt timer id
    // Timer id -> the period a timer takes after its first expiry, set at another delay.
    std::map<int, int> LaterPeriods;
};
