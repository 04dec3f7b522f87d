// A radio button bound to an int shared with the other buttons of its group: it is checked when
// the variable equals its value, and only the checked button writes its value back.
#pragma once

#include "toolkit/TWindowControl.h"

#include <QRadioButton>

class TEditRadio : public QRadioButton, public TBoundControl {
    Q_OBJECT

public:
    // A null caption keeps the template's.
    TEditRadio(TWinDialog* dialog, int id, int* variable, int value, const char* caption = nullptr);

    QWidget* Window() override { return this; }
    void SetUp() override;
    void ShowValue() override;
    void StoreValue() override;

    const int Value;

private:
    int* Variable;
    const char* Caption;
};
