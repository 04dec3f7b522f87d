// A check box bound to an int: checked is 1, unchecked 0.
#pragma once

#include "toolkit/TWindowControl.h"

#include <QCheckBox>

class TEditCheck : public QCheckBox, public TBoundControl {
    Q_OBJECT

public:
    // A null caption keeps the template's.
    TEditCheck(TWinDialog* dialog, int id, int* value, const char* caption = nullptr);

    QWidget* Window() override { return this; }
    void SetUp() override;
    void ShowValue() override;  // checked only for 1
    void StoreValue() override; // an indeterminate box leaves the variable alone

private:
    int* Value;
    const char* Caption;
};
