// What a dialog needs of a control object that its derived dialog creates before the dialog's
// controls exist: the control id it attaches to, its widget, and a set-up step run once the
// dialog has given it its template place. Bound controls add the two transfers.
#pragma once

class QWidget;
class TWinDialog;

class TWindowControl {
public:
    TWindowControl(TWinDialog* dialog, int id) : Parent(dialog), CtrlId(id) {}
    virtual ~TWindowControl() = default;
    TWindowControl(const TWindowControl&) = delete;
    TWindowControl& operator=(const TWindowControl&) = delete;

    int Id() const { return CtrlId; }
    TWinDialog* Dialog() const { return Parent; }
    virtual QWidget* Window() = 0;

    // Runs once, after the dialog has placed the widget where its template item says.
    virtual void SetUp() {}

private:
    TWinDialog* Parent;
    int CtrlId;
};

class TBoundControl : public TWindowControl {
public:
    using TWindowControl::TWindowControl;

    virtual void ShowValue() = 0;  // bound variable into the control
    virtual void StoreValue() = 0; // control into the bound variable
};
